#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int timeoutMs = 10000;

QByteArray readStdoutLine(QProcess& process) {
    QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine() && !deadline.hasExpired() && process.state() == QProcess::Running)
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    return process.readLine().trimmed();
}

// Responsibilities: the client end of the simulator's pseudo-terminal, as the program opens it.
class Client {
public:
    explicit Client(const QByteArray& path)
        : fd_(::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    explicit Client(int fd) : fd_(fd) {}
    ~Client() { close(); }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool send(const QByteArray& bytes) {
        return ::write(fd_, bytes.constData(), static_cast<std::size_t>(bytes.size())) ==
               bytes.size();
    }
    // Reads until done(received) holds or the deadline passes; returns all received bytes.
    template <typename Done> QByteArray readUntil(Done done) {
        QDeadlineTimer deadline(timeoutMs);
        while (!done(received_) && !deadline.hasExpired()) {
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, static_cast<int>(deadline.remainingTime())) <= 0)
                continue;
            char buffer[512];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0)
                received_.append(buffer, n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
        }
        return received_;
    }

private:
    int fd_;
    QByteArray received_;
};

QStringList reportsIn(const QByteArray& bytes) {
    static const QRegularExpression report(QStringLiteral("AZ=\\d{3}"));
    QStringList found;
    for (const auto& match : report.globalMatch(QString::fromLatin1(bytes)))
        found << match.captured();
    return found;
}

} // namespace

// Runs the real roteka-sim binary and talks to it through its pseudo-terminal.
class TestSimProcess : public QObject {
    Q_OBJECT

private slots:
    void turnsToBearingAndCleansUpOnSigterm();
    void noiseAndSplitRepliesKeepReportsIntact();
    void servesASerialDevice();
    void rejectsBadInvocations_data();
    void rejectsBadInvocations();
    void refusesToReplaceAFileWithTheAlias();
};

void TestSimProcess::turnsToBearingAndCleansUpOnSigterm() {
    QTemporaryDir temp;
    const QString aliasDir = temp.path() + "/ports";
    QProcess sim;
    sim.start(ROTEKA_SIM_PATH, {"--speed", "100", "--moving-interval", "20", "--idle-interval",
                                "100", "--alias", "7", "--alias-dir", aliasDir, "--log"});
    QVERIFY(sim.waitForStarted(timeoutMs));

    const QByteArray ptyLine = readStdoutLine(sim);
    QVERIFY2(ptyLine.startsWith("PTY /dev/"), ptyLine.constData());
    const QByteArray slave = ptyLine.mid(4);
    QCOMPARE(readStdoutLine(sim), "ALIAS " + (aliasDir + "/COM7").toUtf8());
    const fs::path link = (aliasDir + "/COM7").toStdString();
    QCOMPARE(fs::read_symlink(link).string(), slave.toStdString());

    Client client(slave);
    QVERIFY(client.isOpen());
    QVERIFY(client.send("M010\r\n"));
    const QByteArray received =
        client.readUntil([](const QByteArray& bytes) { return bytes.contains("AZ=010\r\n"); });
    QVERIFY2(received.contains("AZ=010\r\n"), received.constData());
    QCOMPARE(readStdoutLine(sim), QByteArray("RX M010"));

    const QStringList reports = reportsIn(received);
    QCOMPARE(reports.first(), QStringLiteral("AZ=000"));
    for (qsizetype i = 1; i < reports.size(); ++i)
        QVERIFY2(reports[i] >= reports[i - 1], qPrintable(reports.join(' ')));

    sim.terminate();
    QVERIFY(sim.waitForFinished(timeoutMs));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!fs::exists(fs::symlink_status(link)));
    QCOMPARE(sim.readAllStandardError(), QByteArray());
}

void TestSimProcess::noiseAndSplitRepliesKeepReportsIntact() {
    QProcess sim;
    sim.start(ROTEKA_SIM_PATH,
              {"--garbage", "--split", "--seed", "7", "--start", "123", "--idle-interval", "20"});
    QVERIFY(sim.waitForStarted(timeoutMs));
    const QByteArray ptyLine = readStdoutLine(sim);
    QVERIFY2(ptyLine.startsWith("PTY "), ptyLine.constData());

    Client client(ptyLine.mid(4));
    QVERIFY(client.isOpen());
    const QByteArray received =
        client.readUntil([](const QByteArray& bytes) { return bytes.count("AZ=123\r\n") >= 20; });
    QVERIFY2(received.count("AZ=123\r\n") >= 20, received.toPercentEncoding().constData());

    const QStringList reports = reportsIn(received);
    QCOMPARE(reports.count(QStringLiteral("AZ=123")), reports.size());
    QVERIFY2(reports.size() <= received.count("AZ=123\r\n") + 1,
             received.toPercentEncoding().constData());
    QVERIFY2(QByteArray(received).replace("AZ=123\r\n", "").size() > 0, "no noise was sent");

    sim.terminate();
    QVERIFY(sim.waitForFinished(timeoutMs));
    QCOMPARE(sim.exitCode(), 0);
}

void TestSimProcess::servesASerialDevice() {
    // The slave side of a pseudo-terminal of our own stands in for the serial device.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(master >= 0);
    Client line(master);
    QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QByteArray device = ::ptsname(master);
    QVERIFY(::fcntl(master, F_SETFL, O_NONBLOCK) == 0);

    QProcess sim;
    sim.start(ROTEKA_SIM_PATH,
              {"--device", QString::fromLatin1(device), "--baud", "19200", "--start", "42",
               "--speed", "100", "--idle-interval", "20", "--moving-interval", "20"});
    QVERIFY(sim.waitForStarted(timeoutMs));
    QCOMPARE(readStdoutLine(sim), "DEVICE " + device);
    QVERIFY(line.readUntil([](const QByteArray& b) { return b.contains("AZ=042\r\n"); })
                .contains("AZ=042\r\n"));
    QVERIFY(line.send("M044\r"));
    QVERIFY(line.readUntil([](const QByteArray& b) { return b.contains("AZ=044\r\n"); })
                .contains("AZ=044\r\n"));

    line.close();
    QVERIFY(sim.waitForFinished(timeoutMs));
    QCOMPARE(sim.exitCode(), 1);
    QVERIFY(sim.readAllStandardError().contains("lost the serial device"));
}

void TestSimProcess::rejectsBadInvocations_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("stdoutHas");
    QTest::addColumn<QByteArray>("stderrHas");

    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("--alias-dir")
                          << QByteArray();
    QTest::newRow("unknown option")
        << QStringList{"--bogus"} << 2 << QByteArray() << QByteArray("unknown option '--bogus'");
    QTest::newRow("start outside range")
        << QStringList{"--start", "400"} << 2 << QByteArray() << QByteArray("--start");
    QTest::newRow("missing device") << QStringList{"--device", "/nonexistent/ttyS9"} << 1
                                    << QByteArray() << QByteArray("/nonexistent/ttyS9");
    QTest::newRow("device is no tty") << QStringList{"--device", "/dev/null"} << 1 << QByteArray()
                                      << QByteArray("not a serial device");
}

void TestSimProcess::rejectsBadInvocations() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, stdoutHas);
    QFETCH(QByteArray, stderrHas);

    QProcess sim;
    sim.start(ROTEKA_SIM_PATH, args);
    QVERIFY(sim.waitForFinished(timeoutMs));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), exitCode);
    const QByteArray out = sim.readAllStandardOutput();
    const QByteArray err = sim.readAllStandardError();
    QVERIFY2(out.contains(stdoutHas), out.constData());
    QVERIFY2(err.contains(stderrHas), err.constData());
    if (exitCode != 0)
        QVERIFY(out.isEmpty());
}

void TestSimProcess::refusesToReplaceAFileWithTheAlias() {
    QTemporaryDir temp;
    const fs::path file = fs::path(temp.path().toStdString()) / "COM5";
    std::ofstream(file) << "keep me";

    QProcess sim;
    sim.start(ROTEKA_SIM_PATH, {"--alias", "5", "--alias-dir", temp.path()});
    QVERIFY(sim.waitForFinished(timeoutMs));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardError().contains("not a symlink"));
    QVERIFY(!sim.readAllStandardOutput().contains("ALIAS"));
    QVERIFY(fs::is_regular_file(fs::symlink_status(file)));
    QCOMPARE(fs::file_size(file), std::uintmax_t(7));
}

QTEST_GUILESS_MAIN(TestSimProcess)
#include "tst_sim_process.moc"
