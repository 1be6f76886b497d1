#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "app/RunTimeError.h"
#include "commands/Numbers.h"
#include "serial/DeviceCatalogue.h"
#include "serial/SerialPort.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace roteka {

void Form1::ListComPorts() {
    QStringList names;
    ignoreErrors([&] { names = devices_.serialDeviceNames(); });
    const QString shown = Combo1->currentText();
    for (const QString& name : names) {
        if (!name.isEmpty())
            Combo1->addItem(name);
    }
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(shown);
}

void Form1::Command6_Click() {
    if (Command6->text() == QStringLiteral("接続")) {
        ignoreErrors([this] {
            if (!MSComm1.portOpen())
                MSComm1.setPortOpen(true);
        });
        Command6->setText(QStringLiteral("切断"));
        Label1->setText(QStringLiteral("Port = ") + boolText(MSComm1.portOpen()));
    } else if (MSComm1.portOpen()) {
        ignoreErrors([this] { MSComm1.setPortOpen(false); });
        Command6->setText(QStringLiteral("接続"));
        Label1->setText(QStringLiteral("Port を切断しました。") + boolText(MSComm1.portOpen()));
    }
}

void Form1::MSComm1_DeviceLost() {
    ReportPortClosed(true);
}

void Form1::Combo1_Click() {
    const QString text = Combo1->currentText();
    const qsizetype com = text.indexOf(QStringLiteral("COM"), 0, Qt::CaseSensitive);
    QString number = com < 0 ? text : text.mid(com + 3);
    const qsizetype close = number.indexOf(QLatin1Char(')'));
    if (close >= 0)
        number = number.left(close);
    Text1->setText(number);
    messages_.show(messageLines({
        QStringLiteral("ポート変更が完了しました。"),
        QString(),
        QStringLiteral("　設定内容は環境設定登録後に有効となります。"),
        QStringLiteral("　環境設定登録後にポートを確認してください。"),
        QStringLiteral(
            "　ポートが有効「ﾎﾟｰﾄ = True」となった場合であっても、一度プログラムを再起動後に使用"
            "してください。"),
    }));
}

} // namespace roteka
