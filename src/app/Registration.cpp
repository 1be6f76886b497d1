#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "app/RunTimeError.h"
#include "commands/Numbers.h"
#include "serial/SerialPort.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

namespace roteka {

void Form1::Command8_Click() {
    ignoreErrors([this] {
        if (MSComm1.portOpen())
            MSComm1.setPortOpen(false);
    });
    if (Text5->text().isEmpty())
        Text5->setText(QStringLiteral("0"));
    std::optional<QString> writeFailure;
    try {
        WriteSettingsFile();
    } catch (const RunTimeError& error) {
        writeFailure = error.message();
    }
    Label1->setText(QString());
    PortNumberText = Text1->text();
    PortSettingsText = Text2->text();
    SetUpPort(true);
    Label1->setText(Label1->text() + QStringLiteral(" ﾎﾟｰﾄ=") + boolText(MSComm1.portOpen()));
    Command6->setText(MSComm1.portOpen() ? QStringLiteral("切断") : QStringLiteral("接続"));
    if (!writeFailure) {
        messages_.show(messageLines({
            QStringLiteral("環境への登録が終了しました。"),
            QString(),
            QStringLiteral("コムポート変更の場合はこのプログラムを一度再起動してください。"),
        }));
    } else {
        messages_.show(messageLines({
            QStringLiteral("「%1」に書き込めませんでした。").arg(SettingsFileName),
            *writeFailure,
        }));
    }
}

} // namespace roteka
