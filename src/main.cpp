#include "app/Program.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const auto options = roteka::parseCommandLine(arguments);
    if (const int* status = std::get_if<int>(&options))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("roteka"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.roteka.Roteka"));
    roteka::Program program;
    program.start(std::get<roteka::Options>(options));
    return QApplication::exec();
}
