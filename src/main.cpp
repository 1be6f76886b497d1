#include "app/QtPlatform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.roteka.Roteka"));
    roteka::QtPlatform platform;
    roteka::Form1 form(platform.services());
    platform.start(form);
    return QApplication::exec();
}
