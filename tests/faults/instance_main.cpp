// roteka-faults-instance DIR [--hold]: a ROTEKA window on the real platform services, with its
// message boxes recorded instead of shown. Starts in DIR (its settings file; the port aliases
// come from XDG_CONFIG_HOME as usual) and prints, one line each:
//   MESSAGE <text, CR LF written as \r\n>   for each message shown
//   STATUS <status line>
//   CONNECT <connect button caption>
//   PORT <1 when the port is open, else 0>
// then exits; with --hold it keeps the window running until standard input closes.
#include "FakePlatform.h"

#include "app/QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSocketNotifier>

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: roteka-faults-instance DIR [--hold]\n");
        return 2;
    }
    const bool hold = argc > 2 && std::strcmp(argv[2], "--hold") == 0;
    roteka::QtPlatform platform;
    roteka::test::RecordingMessageBoxes messages;
    roteka::Form1 form({platform.serial, platform.devices, messages, platform.pointer});
    form.Form_Load();
    form.show();

    for (QString text : messages.shown)
        std::printf("MESSAGE %s\n", qPrintable(text.replace(QStringLiteral("\r\n"), "\\r\\n")));
    std::printf("STATUS %s\n", qPrintable(form.Label1->text()));
    std::printf("CONNECT %s\n", qPrintable(form.Command6->text()));
    std::printf("PORT %d\n", platform.serial.portOpen() ? 1 : 0);
    std::fflush(stdout);
    if (!hold)
        return 0;

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            QApplication::quit();
    });
    return QApplication::exec();
}
