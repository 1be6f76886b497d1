// Start-up: from process start to the first paint of the window processed, and the peak
// resident memory, of the program's window on the real platform services (settings file and
// port present, so no message box waits) against a minimal widgets window, same procedure.
#include "Benchmarks.h"
#include "Measure.h"
#include "PtyPeer.h"

#include <cstdio>
#include <string>

namespace roteka::bench {

namespace {

struct StartupRuns {
    std::vector<double> milliseconds;
    std::vector<double> peakKiB;
    std::vector<double> cpuMilliseconds;
};

bool startOnce(const QString& program, const QStringList& arguments, StartupRuns& runs) {
    Child child(program, arguments);
    const std::string line = child.readLine(30000);
    rusage usage{};
    const bool exited = child.wait(usage, 10000);
    long long shownNs = 0;
    long long peakKiB = 0;
    if (std::sscanf(line.c_str(), "SHOWN %lld %lld", &shownNs, &peakKiB) != 2 || !exited) {
        std::printf("start-up: %s did not show its window and exit (\"%s\")\n", qPrintable(program),
                    line.c_str());
        return false;
    }
    runs.milliseconds.push_back(double(shownNs - child.startedNs()) / 1e6);
    runs.peakKiB.push_back(double(peakKiB));
    runs.cpuMilliseconds.push_back(double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
    return true;
}

QString describe(const StartupRuns& runs) {
    return QStringLiteral("median %1 ms to first paint (min %2, max %3), peak RSS %4 MiB, "
                          "CPU %5 ms")
        .arg(median(runs.milliseconds), 0, 'f', 1)
        .arg(percentile(runs.milliseconds, 0), 0, 'f', 1)
        .arg(percentile(runs.milliseconds, 100), 0, 'f', 1)
        .arg(median(runs.peakKiB) / 1024.0, 0, 'f', 1)
        .arg(median(runs.cpuMilliseconds), 0, 'f', 0);
}

} // namespace

bool runStartup(const Options& options) {
    test::BoundController station(5);
    station.writeSettings();

    const QString firstPaint = QStringLiteral("--first-paint");
    StartupRuns window;
    StartupRuns minimal;
    StartupRuns japanese;
    for (int i = 0; i < options.startupRuns; ++i) {
        // Rotating the order spreads the machine's disturbances over all three.
        for (int k = 0; k < 3; ++k) {
            const int which = (i + k) % 3;
            const bool ok = which == 0 ? startOnce(options.windowProgram, {firstPaint}, window)
                            : which == 1
                                ? startOnce(options.minimalProgram, {firstPaint}, minimal)
                                : startOnce(options.minimalProgram,
                                            {firstPaint, QStringLiteral("--japanese")}, japanese);
            if (!ok)
                return false;
        }
    }
    const double timeRatio = median(window.milliseconds) / median(minimal.milliseconds);
    const double memoryRatio = median(window.peakKiB) / median(minimal.peakKiB);
    const QString runs = QStringLiteral(" (%1 runs)").arg(options.startupRuns);
    printResult("start-up time", QStringLiteral("window ") + describe(window) + runs,
                QStringLiteral("minimal window ") + describe(minimal), timeRatio,
                QStringLiteral("first paint under 50 ms"), median(window.milliseconds) < 50);
    std::printf("%-34s for reference, a minimal window with one Japanese label:\n%-34s %s\n"
                "%-34s ratio of the window to it %.3g\n\n",
                "", "", qPrintable(describe(japanese)), "",
                median(window.milliseconds) / median(japanese.milliseconds));
    printResult(
        "start-up peak resident memory",
        QStringLiteral("window %1 MiB").arg(median(window.peakKiB) / 1024.0, 0, 'f', 1),
        QStringLiteral("minimal window %1 MiB").arg(median(minimal.peakKiB) / 1024.0, 0, 'f', 1),
        memoryRatio, QStringLiteral("within 1.3x"), memoryRatio <= 1.3);
    return true;
}

} // namespace roteka::bench
