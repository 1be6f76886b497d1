#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "app/RunTimeError.h"
#include "commands/Numbers.h"
#include "serial/SerialPort.h"
#include "ui/TabControl.h"

#include <QLabel>
#include <QPushButton>

namespace roteka {

void Form1::Form_Load() {
    try {
        Label1->setText(QString());
        Label5->setText(QString());
        ListComPorts();
        SettingsFileName = QStringLiteral("ROTEKA.DAT");
        if (!ReadSettingsFile()) {
            WriteSettingsFile();
            SSTab1->setCurrentIndex(1);
            messages_.show(messageLines({
                QStringLiteral(
                    "「ROTEKA.DAT」が有りませんでしたので新たに暫定データを作成しました。"),
                QStringLiteral("（コムポート＝３）"),
                QString(),
                QStringLiteral("表示の環境設定ページを修正し登録してください。"),
                QStringLiteral("変更登録後は再起動が必要です。"),
            }));
        } else {
            SSTab1->setCurrentIndex(0);
            ApplySettingsLine();
        }
        SetUpPort(false);
        Label1->setText(QStringLiteral("Port = ") + boolText(MSComm1.portOpen()));
        if (MSComm1.portOpen()) {
            Command6->setText(QStringLiteral("切断"));
            MSComm1.setInputLen(1);
            MSComm1.setRThreshold(1);
        } else {
            ReportPortClosed(true);
        }
    } catch (const RunTimeError&) {
        ReportStartupFailure();
    }
}

void Form1::ReportStartupFailure() {
    Label1->setText(QString());
    messages_.show(messageLines({
        QStringLiteral("ポートを設定しようとしましたが、このポートのオープンに失敗しました。"),
        QString(),
        QStringLiteral("パソコンのコムポートに合わせ修正し環境登録ボタンで登録してください。"),
        QString(),
        QStringLiteral(
            "旧システムで環境設定している場合は、「ROTEKA.DAT」を新バージョン用に変更しまし"
            "たので再設定してください。"),
    }));
}

void Form1::SetUpPort(bool skipFailedSteps) {
    const auto step = [skipFailedSteps](auto&& action) {
        if (skipFailedSteps)
            ignoreErrors(action);
        else
            action();
    };
    step([this] { MSComm1.setCommPort(toInt16(PortNumberText)); });
    step([this] { MSComm1.setSettings(PortSettingsText); });
    step([this] { MSComm1.setPortOpen(true); });
}

} // namespace roteka
