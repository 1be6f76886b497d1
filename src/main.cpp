#include "app/Logging.h"
#include "app/Program.h"

#include <QApplication>

#ifdef Q_OS_WIN
#include <cstdio>
#include <windows.h>
#endif

int main(int argc, char* argv[]) {
#ifdef Q_OS_WIN
    // A window program has no console of its own: started from one, it writes its help, its
    // version, its command-line errors and its log there, unless they are redirected.
    if (!GetStdHandle(STD_OUTPUT_HANDLE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const auto options = roteka::parseCommandLine(arguments);
    if (const int* status = std::get_if<int>(&options))
        return *status;
    roteka::logToStandardError();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("roteka"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.roteka.Roteka"));
    roteka::Options chosen = std::get<roteka::Options>(options);
    roteka::addConfigFile(chosen, roteka::configFilePath());
    roteka::Program program;
    program.start(chosen);
    return QApplication::exec();
}
