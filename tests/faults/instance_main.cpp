// roteka-faults-instance DIR [--hold]: a ROTEKA window on the real platform services, its
// message boxes recorded, started in DIR. Prints "MESSAGE <text, CR LF as \r\n>" for each
// message, then "STATUS <status line>|<connect caption>|<1 when the port is open, else 0>", and
// exits; with --hold it keeps the window running until standard input closes.
#include "FakePlatform.h"

#include "app/QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1])))
        return 2;
    roteka::QtPlatform platform;
    roteka::test::RecordingMessageBoxes messages;
    roteka::Form1 form({platform.serial, platform.devices, messages, platform.pointer});
    form.Form_Load();
    form.show();
    for (QString text : messages.shown)
        std::printf("MESSAGE %s\n", qPrintable(text.replace(QStringLiteral("\r\n"), "\\r\\n")));
    std::printf("STATUS %s|%s|%d\n", qPrintable(form.Label1->text()),
                qPrintable(form.Command6->text()), platform.serial.portOpen() ? 1 : 0);
    std::fflush(stdout);
    if (argc < 3)
        return 0;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            QApplication::quit();
    });
    return QApplication::exec();
}
