// roteka-bench: ROTEKA's benchmarks. Each figure is printed beside a baseline measured in the
// same run, and their ratio. See bench/README.md.
#include "Benchmarks.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <exception>
#include <unistd.h>

using namespace roteka::bench;

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ROTEKA's benchmarks"));
    parser.addHelpOption();
    const QCommandLineOption only(QStringLiteral("only"),
                                  QStringLiteral("Run only these, comma-separated: throughput, "
                                                 "latency, startup, linerate."),
                                  QStringLiteral("names"));
    const QCommandLineOption replies(QStringLiteral("replies"),
                                     QStringLiteral("Replies per throughput round (200000)."),
                                     QStringLiteral("n"), QStringLiteral("200000"));
    const QCommandLineOption samples(QStringLiteral("latency-samples"),
                                     QStringLiteral("Latency samples of each kind (10000)."),
                                     QStringLiteral("n"), QStringLiteral("10000"));
    const QCommandLineOption runs(QStringLiteral("startup-runs"),
                                  QStringLiteral("Start-ups of each program (10)."),
                                  QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption seconds(QStringLiteral("line-rate-seconds"),
                                     QStringLiteral("Measured seconds at line rate, per process "
                                                    "(10; 30 for the full figure)."),
                                     QStringLiteral("s"), QStringLiteral("10"));
    parser.addOptions({only, replies, samples, runs, seconds});
    parser.process(app);

    Options options;
    options.replies = qMax(1000LL, parser.value(replies).toLongLong());
    options.latencySamples = qMax(100, parser.value(samples).toInt());
    options.startupRuns = qMax(1, parser.value(runs).toInt());
    options.lineRateSeconds = qMax(1.0, parser.value(seconds).toDouble());
    const QString here = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
    options.windowProgram = here + QStringLiteral("/roteka-bench-window");
    options.minimalProgram = here + QStringLiteral("/roteka-bench-minimal");

    const QStringList all{QStringLiteral("throughput"), QStringLiteral("latency"),
                          QStringLiteral("startup"), QStringLiteral("linerate")};
    const QStringList chosen =
        parser.isSet(only) ? parser.value(only).split(QLatin1Char(','), Qt::SkipEmptyParts) : all;
    for (const QString& name : chosen) {
        if (!all.contains(name)) {
            std::fprintf(stderr, "unknown benchmark \"%s\"\n", qPrintable(name));
            return 2;
        }
    }

    double load[3] = {};
    ::getloadavg(load, 3);
    std::printf("ROTEKA benchmarks: %ld cores online, load average %.2f; QT_QPA_PLATFORM=%s\n\n",
                ::sysconf(_SC_NPROCESSORS_ONLN), load[0], qgetenv("QT_QPA_PLATFORM").constData());
    std::fflush(stdout);

    bool ok = true;
    try {
        if (chosen.contains(QStringLiteral("throughput")))
            ok = runThroughput(options) && ok;
        if (chosen.contains(QStringLiteral("latency")))
            ok = runLatency(options) && ok;
        if (chosen.contains(QStringLiteral("startup")))
            ok = runStartup(options) && ok;
        if (chosen.contains(QStringLiteral("linerate")))
            ok = runLineRate(options) && ok;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return ok ? 0 : 1;
}
