#include "app/Form1.h"
#include "app/RunTimeError.h"
#include "feedback/ReplyScanner.h"
#include "serial/SerialPort.h"
#include "ui/CaptionLabel.h"

#include <QLabel>

namespace roteka {

void Form1::MSComm1_OnComm() {
    int event = 0;
    ignoreErrors([&] { event = MSComm1.commEvent(); });
    if (event == SerialPort::ReceiveEvent) {
        for (;;) {
            int waiting = 0;
            if (!ignoreErrors([&] { waiting = MSComm1.inBufferCount(); }) || waiting == 0)
                break;
            if (!ignoreErrors([this] { ReceiveBuffer += MSComm1.input(); }))
                break;
            if (const auto azimuth = scanStep(ReceiveBuffer))
                Label4->setCaption(QString::number(*azimuth));
        }
    }
    if (Label2[5]->text() == QStringLiteral("初期化中") &&
        Label4->text() != QStringLiteral("000")) {
        Label2[5]->setText(QStringLiteral("設定角度 ＝"));
        Label5->setText(Label4->text());
        DrawTargetPointer();
    }
}

} // namespace roteka
