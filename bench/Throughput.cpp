// Receive throughput: replies per second through the window's receive handler (each reply a
// new azimuth, so each one redraws the map pointers), against the reply scanner alone over the
// same stream.
#include "Benchmarks.h"
#include "FakePlatform.h"
#include "Measure.h"
#include "PtyPeer.h"

#include "rules/ReplyScanner.h"

#include <QTest>

#include <cstdio>
#include <vector>

namespace roteka::bench {

namespace {

double handlerRound(test::FakePlatform& platform, OperatorControl& control,
                    const std::vector<QByteArray>& stream, long long& changes) {
    changes = 0;
    const auto connection =
        QObject::connect(&control, &OperatorControl::azimuthChanged, [&changes] { ++changes; });
    const std::int64_t start = nowNs();
    for (const QByteArray& bytes : stream)
        platform.serial.feed(bytes);
    const std::int64_t end = nowNs();
    QObject::disconnect(connection);
    return double(stream.size()) / (double(end - start) / 1e9);
}

double scannerRound(const std::vector<QByteArray>& stream, long long& accepted) {
    accepted = 0;
    QString buffer;
    const std::int64_t start = nowNs();
    for (const QByteArray& bytes : stream) {
        for (const char c : bytes) {
            buffer += QLatin1Char(c);
            if (scanStep(buffer))
                ++accepted;
        }
    }
    const std::int64_t end = nowNs();
    return double(stream.size()) / (double(end - start) / 1e9);
}

} // namespace

bool runThroughput(const Options& options) {
    test::FakeWindow station;
    test::FakePlatform& platform = station.platform;
    station.window.show();
    if (!QTest::qWaitForWindowExposed(&station.window) || !platform.serial.isOpen()) {
        std::printf("receive throughput: the window did not come up with its port open\n");
        return false;
    }

    std::vector<QByteArray> stream;
    stream.reserve(std::size_t(options.replies));
    for (long long i = 0; i < options.replies; ++i)
        stream.push_back(reply(streamAzimuth(i)));

    constexpr int Rounds = 3;
    std::vector<double> handler;
    std::vector<double> scanner;
    bool allAccepted = true;
    for (int round = 0; round < Rounds; ++round) {
        long long changes = 0;
        long long accepted = 0;
        handler.push_back(handlerRound(platform, station.control, stream, changes));
        scanner.push_back(scannerRound(stream, accepted));
        // Each round starts where the last ended, so its first reply may repeat the caption.
        allAccepted = allAccepted && changes >= options.replies - 1 && accepted == options.replies;
        QCoreApplication::processEvents();
    }
    const double figure = median(handler);
    const double baseline = median(scanner);
    printResult("receive throughput",
                QStringLiteral("handler %1 replies/s (median of %2 rounds of %3)")
                    .arg(figure, 0, 'f', 0)
                    .arg(Rounds)
                    .arg(options.replies),
                QStringLiteral("scanner alone %1 replies/s").arg(baseline, 0, 'f', 0),
                figure / baseline, QStringLiteral(">= 50000 replies/s"), figure >= 50000);
    if (!allAccepted)
        std::printf("receive throughput: REPLIES LOST\n");
    return allAccepted;
}

} // namespace roteka::bench
