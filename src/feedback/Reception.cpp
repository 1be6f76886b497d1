#include "app/Form1.h"
#include "app/RunTimeError.h"
#include "feedback/ReplyScanner.h"
#include "serial/SerialPort.h"
#include "ui/CaptionLabel.h"

#include <QLabel>

namespace roteka {

void Form1::MSComm1_OnComm() {
    if (MSComm1.commEvent() == SerialPort::ReceiveEvent) {
        while (MSComm1.inBufferCount() != 0) {
            if (!ignoreErrors([this] { ReceiveBuffer += MSComm1.input(); }))
                break;
            if (const auto azimuth = scanStep(ReceiveBuffer))
                Label4->setCaption(QString::number(*azimuth));
        }
    }
    if (Label2[5]->text() == QStringLiteral("初期化中") && Label4->text() != QStringLiteral("000")) {
        Label2[5]->setText(QStringLiteral("設定角度 ＝"));
        Label5->setText(Label4->text());
        DrawTargetPointer();
    }
}

} // namespace roteka
