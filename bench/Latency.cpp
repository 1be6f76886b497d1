// End-to-end latency over a real pseudo-terminal: from the controller's write of a reply's last
// digit to the azimuth caption showing the value (map pointers redrawn), and from a button
// click to the command's bytes readable at the controller; against a raw round trip through a
// pseudo-terminal of its own.
#include "Benchmarks.h"
#include "FakePlatform.h"
#include "Measure.h"
#include "PtyPeer.h"
#include "Stations.h"

#include "app/Program.h"
#include "net/PstListener.h"
#include "net/RotatorServer.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace roteka::bench {

namespace {

QString microseconds(const std::vector<double>& samples) {
    return QStringLiteral("p50 %1 us, p99 %2 us, max %3 us")
        .arg(percentile(samples, 50), 0, 'f', 1)
        .arg(percentile(samples, 99), 0, 'f', 1)
        .arg(percentile(samples, 100), 0, 'f', 1);
}

struct RawRoundTrips {
    std::vector<double> controllerToProgram; // 8 bytes
    std::vector<double> programToController; // 3 bytes
};

RawRoundTrips rawRoundTrips(int samples) {
    RawPty pty;
    RawRoundTrips result;
    char buffer[8];
    for (int i = 0; i < samples; ++i) {
        const QByteArray bytes = reply(streamAzimuth(i));
        std::int64_t start = nowNs();
        pty.writeAll(pty.master(), bytes);
        if (!readExactly(pty.slave(), buffer, std::size_t(bytes.size()), 1000))
            throw std::runtime_error("raw pseudo-terminal read timed out");
        result.controllerToProgram.push_back(double(nowNs() - start) / 1000.0);

        start = nowNs();
        pty.writeAll(pty.slave(), "L\r\n", 3);
        if (!readExactly(pty.master(), buffer, 3, 1000))
            throw std::runtime_error("raw pseudo-terminal read timed out");
        result.programToController.push_back(double(nowNs() - start) / 1000.0);
    }
    return result;
}

} // namespace

int connectedClient(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

int udpSocket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    return fd;
}

void sendDatagram(int fd, quint16 port, const QByteArray& datagram) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd, datagram.constData(), std::size_t(datagram.size()), 0,
             reinterpret_cast<sockaddr*>(&address), sizeof address);
}

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

bool spinUntil(const std::function<bool()>& condition, int timeoutMs) {
    QTimer wake;
    wake.start(20);
    const std::int64_t deadline = nowNs() + std::int64_t(timeoutMs) * 1000000;
    while (!condition()) {
        if (nowNs() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

namespace {

// Whether a go-to command ("M", three characters, CR LF) reaches the controller within 2 s.
bool goToArrives(RawPty& controller) {
    char command[6];
    return spinUntil([&] { return readable(controller.master()); }, 2000) &&
           readExactly(controller.master(), command, 6, 1000) && command[0] == 'M';
}

} // namespace

bool runLatency(const Options& options) {
    test::BoundController station(21);
    station.writeSettings(QStringLiteral("115200,N,8,1"));
    RawPty& controller = *station.controller;
    test::RealWindow program;
    OperatorControl& control = program.control;
    MainWindow& window = program.window;
    control.startUp();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !control.portIsOpen()) {
        std::printf("latency: the window did not come up with its port open\n");
        return false;
    }

    std::int64_t changedAt = 0;
    QObject::connect(&control, &OperatorControl::azimuthChanged, [&] { changedAt = nowNs(); });
    std::vector<double> replyLatency;
    for (int i = 0; i < options.latencySamples; ++i) {
        const QByteArray text = reply(streamAzimuth(i));
        const QByteArray head = text.left(5);
        controller.writeAll(controller.master(), head);
        if (!spinUntil([&] { return program.link.receiveBuffer() == QLatin1String(head); }, 2000)) {
            std::printf("latency: a reply's first characters never arrived\n");
            return false;
        }
        changedAt = 0;
        const std::int64_t start = nowNs();
        controller.writeAll(controller.master(), text.mid(5));
        if (!spinUntil([&] { return changedAt != 0; }, 2000) ||
            test::part<QLabel>(window, "azimuthLabel")->text() !=
                QString::number(streamAzimuth(i))) {
            std::printf("latency: reply %d was not shown\n", i);
            return false;
        }
        replyLatency.push_back(double(changedAt - start) / 1000.0);
    }

    std::vector<double> clickLatency;
    char sent[3];
    for (int i = 0; i < options.latencySamples; ++i) {
        QCoreApplication::processEvents();
        const std::int64_t start = nowNs();
        test::part<QPushButton>(window, "turnLeftButton")->click();
        if (!readExactly(controller.master(), sent, 3, 1000) ||
            std::memcmp(sent, "L\r\n", 3) != 0) {
            std::printf("latency: the command of click %d did not arrive\n", i);
            return false;
        }
        clickLatency.push_back(double(nowNs() - start) / 1000.0);
    }

    // A network client's set_pos line to the go-to command readable at the controller. The
    // bearings run 10 to 349, so that the command is always "M" and three digits.
    const auto server =
        listenFor(program.program->requests, QStringLiteral("127.0.0.1"), 0, program.messages);
    const int client = server ? connectedClient(server->port()) : -1;
    std::vector<double> networkLatency;
    for (int i = 0; client >= 0 && i < options.latencySamples; ++i) {
        const QByteArray line = "P " + QByteArray::number(10 + i % 340) + " 0\n";
        QCoreApplication::processEvents();
        const std::int64_t start = nowNs();
        RawPty::writeAll(client, line);
        if (!goToArrives(controller)) {
            std::printf("latency: the go-to command of set_pos %d did not arrive\n", i);
            return false;
        }
        networkLatency.push_back(double(nowNs() - start) / 1000.0);
        spinUntil([&] { return drain(client) > 0; }, 1000); // "RPRT 0"
    }
    if (client < 0) {
        std::printf("latency: no network client\n");
        return false;
    }
    ::close(client);

    // A logger's datagram (the PstRotator UDP control) to the go-to command readable at the
    // controller. Turns from other programs go out at most one each MinTurnIntervalMs, so the
    // datagrams are that far apart, and fewer.
    PstListener listener(program.program->requests);
    const int datagrams = udpSocket();
    if (!listener.bind(QHostAddress::LocalHost, 0) || datagrams < 0) {
        std::printf("latency: no UDP listener or sender\n");
        return false;
    }
    std::vector<double> datagramLatency;
    for (int i = 0; i < options.datagramSamples; ++i) {
        const QByteArray datagram =
            "<PST><AZIMUTH>" + QByteArray::number(10 + i % 340) + "</AZIMUTH></PST>";
        const std::int64_t due =
            nowNs() + std::int64_t(RemoteRequests::MinTurnIntervalMs + 5) * 1000000;
        spinUntil([&] { return nowNs() >= due; }, RemoteRequests::MinTurnIntervalMs + 100);
        const std::int64_t start = nowNs();
        sendDatagram(datagrams, listener.port(), datagram);
        if (!goToArrives(controller)) {
            std::printf("latency: the go-to command of datagram %d did not arrive\n", i);
            return false;
        }
        datagramLatency.push_back(double(nowNs() - start) / 1000.0);
    }
    ::close(datagrams);

    const RawRoundTrips raw = rawRoundTrips(options.latencySamples);
    const double replyP99 = percentile(replyLatency, 99);
    const double clickP99 = percentile(clickLatency, 99);
    printResult(
        "reply last digit -> caption shown",
        microseconds(replyLatency) + QStringLiteral(" (%1 replies)").arg(replyLatency.size()),
        QStringLiteral("raw pty write -> read, 8 bytes: ") + microseconds(raw.controllerToProgram),
        replyP99 / percentile(raw.controllerToProgram, 99), QStringLiteral("p99 < 2000 us"),
        replyP99 < 2000);
    printResult(
        "click -> command readable",
        microseconds(clickLatency) + QStringLiteral(" (%1 clicks)").arg(clickLatency.size()),
        QStringLiteral("raw pty write -> read, 3 bytes: ") + microseconds(raw.programToController),
        clickP99 / percentile(raw.programToController, 99), QStringLiteral("p99 < 1000 us"),
        clickP99 < 1000);
    const double networkP99 = percentile(networkLatency, 99);
    printResult("set_pos line -> go-to readable",
                microseconds(networkLatency) +
                    QStringLiteral(" (%1 lines)").arg(networkLatency.size()),
                QStringLiteral("click -> command readable: ") + microseconds(clickLatency),
                networkP99 / clickP99, QStringLiteral("p99 < 1000 us"), networkP99 < 1000);
    const double datagramP99 = percentile(datagramLatency, 99);
    printResult("PST datagram -> go-to readable",
                microseconds(datagramLatency) +
                    QStringLiteral(" (%1 datagrams)").arg(datagramLatency.size()),
                QStringLiteral("set_pos line -> go-to readable: ") + microseconds(networkLatency),
                datagramP99 / networkP99, QStringLiteral("p99 < 1000 us"), datagramP99 < 1000);
    return true;
}

} // namespace roteka::bench
