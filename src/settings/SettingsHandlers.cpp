#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLine.h"

#include <QLineEdit>

namespace roteka {

bool Form1::ReadSettingsFile() {
    SettingsFileFound = settingsFileExists(SettingsFileName) ? SettingsFileName : QString();
    if (SettingsFileFound.isEmpty())
        return false;
    SettingsLine = readSettingsLine(SettingsFileName);
    return true;
}

void Form1::ApplySettingsLine() {
    const SettingsFields fields = splitSettingsLine(SettingsLine);
    if (!fields.portNumber.isEmpty())
        Text1->setText(fields.portNumber);
    PortNumberText = Text1->text();
    if (!fields.lineSettings.isEmpty())
        Text2->setText(fields.lineSettings);
    PortSettingsText = Text2->text();
    Text5->setText(fields.offset);
    if (!fields.legacy)
        return;
    if (Text5->text().isEmpty())
        Text5->setText(QStringLiteral("0"));
    WriteSettingsFile();
    messages_.show(
        QStringLiteral("旧システムでの環境設定のため、「ROTEKA.DAT」を新バージョン用に変更しま"
                       "したので再確認してください。"));
}

void Form1::WriteSettingsFile() {
    SettingsLine = buildSettingsLine(Text1->text(), Text2->text(), Text5->text());
    writeSettingsLine(SettingsFileName, SettingsLine);
}

} // namespace roteka
