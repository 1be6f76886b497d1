#include "alias.h"
#include "noise.h"
#include "protocol.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <unistd.h>

using namespace roteka::sim;
namespace fs = std::filesystem;

struct Sim : QProcess { // roteka-sim; line() reads what it prints on standard output
    explicit Sim(const QString& args) { start(ROTEKA_SIM_PATH, args.split(' ')); }
    QByteArray line() {
        for (QDeadlineTimer t(10000); !canReadLine() && !t.hasExpired();)
            waitForReadyRead(50);
        return readLine().trimmed();
    }
    int openPty() { return ::open(line().mid(4).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC); }
};

struct Line { // the program's end of the line
    int fd;
    QByteArray got = {};
    ~Line() { ::close(fd); }
    bool send(const QByteArray& b) { return ::write(fd, b.data(), b.size()) == b.size(); }
    // Reads until `until` has come `count` times, or for ms milliseconds.
    void read(const QByteArray& until, int count = 1, int ms = 10000) {
        char b[512];
        pollfd p{fd, POLLIN, 0};
        for (QDeadlineTimer t(ms); !t.hasExpired() && got.count(until) < count;)
            got.append(b, ::poll(&p, 1, 20) > 0 ? std::max<ssize_t>(::read(fd, b, 512), 0) : 0);
    }
};

// The rotator model on a fake clock, the noise and the alias in-process, and roteka-sim itself.
class TestSim : public QObject {
    Q_OBJECT

private slots:
    // Range end, start, received lines, "+ms" clock steps; then the azimuth and whether it turns.
    void turns() {
        // clang-format off
        for (const auto& [name, script, end] : std::initializer_list<std::tuple<const char*, QString, QString>>{
                 {"R after L turns back", "360 100 L +2000 R +1000", "94 turning"},
                 {"R stops at 360", "360 350 R +5000", "360 stopped"},
                 {"R passes 360 in 450 range", "450 355 R +2000", "367 turning"},
                 {"L stops at 0", "360 5 L +2000", "0 stopped"},
                 {"A stops between degrees", "360 0 R +1300 A +1000", "7.8 stopped"},
                 {"M 350->010 turns back, not through the stop", "360 350 M010 +1000", "344 turning"},
                 {"M370 in 450 range crosses north", "450 350 M370 +60000", "370 stopped"},
                 {"not commands", "360 50 l m010 M10 M0100 M-10 M+10 M1a0 LL AZ=010 +1000", "50 stopped"},
}) {
            // clang-format on
            const QStringList words = script.split(' ');
            const double azimuth = end.section(' ', 0, 0).toDouble();
            Rotator rotator(6.0, words[0].toInt(), words[1].toDouble());
            for (const QString& word : words.mid(2)) {
                if (const auto command = parseCommand(word.toStdString()))
                    applyCommand(*command, rotator);
                for (int left = word.startsWith('+') ? word.toInt() : 0; left > 0; left -= 333)
                    rotator.advance(std::chrono::milliseconds(std::min(left, 333))); // a slow clock
            }
            QVERIFY2(qFuzzyCompare(rotator.azimuth() + 1, azimuth + 1) &&
                         rotator.moving() == end.endsWith("turning"),
                     name);
            QVERIFY2(rotator.reportedAzimuth() == qRound(azimuth), name); // whole degrees, rounded
        }
    }

    void noiseNeverFormsAReport() {
        // Not on its own, nor by completing a report that went out cut short.
        const char* cuts[] = {"", "AZ=", "AZ=1", "AZ=12", "AZ=123\r\nAZ=04"};
        const QRegularExpression report("AZ=[0-9]{3}");
        for (quint64 seed = 0; seed < 5000; ++seed) {
            NoiseGenerator noise(seed);
            const std::string cut = cuts[seed % 5];
            std::string stream = cut.substr(cut.rfind('\n') + 1);
            noise.observe(cut);
            for (int i = 0; i < 10; ++i)
                stream += noise.burst();
            QVERIFY2(!report.match(QString::fromLatin1(stream)).hasMatch(), stream.c_str());
        }
        NoiseGenerator a(7), b(7); // --seed repeats it
        for (int i = 0; i < 20; ++i)
            QCOMPARE(a.burst(), b.burst());
    }

    void aliasFollowsTheEnvironmentAndLeavesOthersLinks() {
        QVERIFY(aliasDirFromEnvironment("x", "/h") == "/h/.config/roteka/ports"); // x: relative
        AliasLink alias;
        QVERIFY(alias.bind(temp_.path().toStdString(), 9, "/x").status == AliasLink::Status::Ok);
        const std::string link = alias.path();
        fs::remove(link); // taken over by another, so no longer ours to remove
        fs::create_symlink("/dev/null", link);
        alias.release();
        QVERIFY(fs::read_symlink(link) == "/dev/null");
    }

    void turnsThroughTheRangeLogsAndCleansUp() {
        const fs::path link = temp_.filePath("COM7").toStdString();
        fs::create_symlink("/dev/pts/999", link); // left over from an earlier run
        Sim sim("--alias-dir=" + temp_.path() +
                " --alias 7 --log --start 450 --range 450 --speed=1000 --moving-interval 20");
        Line line{sim.openPty()};
        QCOMPARE(sim.line(), "ALIAS " + QByteArray::fromStdString(link.string()));
        QCOMPARE(fs::read_symlink(link).string(), std::string(::ttyname(line.fd)));
        line.read("AZ=450\r\n");
        QVERIFY(line.send("M0"));
        line.read("\a", 1, 50); // the line comes in two reads
        QVERIFY(line.send("10\r\n"));
        line.read("AZ=010\r\n"); // from the end of the range back, reporting on the way
        QVERIFY(line.got.startsWith("AZ=450\r\n") && line.got.count("AZ=") > 3 &&
                line.got.endsWith("AZ=010\r\n"));
        QVERIFY(line.send("L\rA\na\x01\\\r" + QByteArray(300, 'x') + "\r\n"));
        for (const QByteArray rx : {"M010", "L", "A", "a\\x01\\\\", "x"})
            QCOMPARE(sim.line(), "RX " + (rx == "x" ? QByteArray(256, 'x') : rx));
        sim.terminate();
        QVERIFY(sim.waitForFinished() && sim.exitCode() == 0); // not killed by the signal
        QVERIFY(sim.readAllStandardError().isEmpty() && !fs::exists(fs::symlink_status(link)));
    }

    // Back to back, a report follows the one before as soon as that has taken its time on the
    // line, never sooner. The log of what went out lists, in order, every reply the line carried
    // (the simulator drops what piles up unread, so the line may have lost some).
    void backToBackAtTheLinePace_data() {
        QTest::addColumn<int>("baud");
        QTest::newRow("9600 baud, 120 reports a second") << 9600;
        QTest::newRow("115200 baud, 1440 reports a second") << 115200;
    }
    void backToBackAtTheLinePace() {
        QFETCH(int, baud);
        Sim sim(QString("--back-to-back --log-sent --speed 100 --baud %1").arg(baud));
        Line line{sim.openPty()};
        QVERIFY(line.send("R\r"));
        line.read("\a", 1, 500); // half a second of reports
        sim.terminate();
        QVERIFY(sim.waitForFinished());
        QList<QByteArray> sent;
        QList<double> stamps;
        for (const QByteArray& tx : sim.readAllStandardOutput().split('\n')) {
            if (QList<QByteArray> words = tx.split(' '); words.size() == 3 && words[0] == "TX") {
                QVERIFY2(stamps.isEmpty() || words[1].toDouble() >= stamps.last(), tx.constData());
                stamps.append(words[1].toDouble());
                sent.append(words[2].replace("\\x0D\\x0A", ""));
            }
        }
        QList<QByteArray> carried = QByteArray::fromStdString(escapeForLog(line.got.toStdString()))
                                        .replace("\\x0D\\x0A", "\n")
                                        .split('\n');
        carried.removeLast(); // cut short, or empty
        qsizetype next = 0;
        for (const QByteArray& reply : carried) {
            while (next < sent.size() && sent[next] != reply)
                ++next;
            QVERIFY2(next++ < sent.size(), reply.constData());
        }
        QVERIFY(carried.size() > 20 && carried.last() > carried.first()); // turning
        const double reports = stamps.size() - 1, lineTime = 80.0 / baud,
                     span = stamps.last() - stamps.first();
        QVERIFY2(reports > 50 && span >= reports * lineTime - 0.05,
                 qPrintable(QString::number(span)));
        QVERIFY2(span <= 2 * reports * lineTime, qPrintable(QString::number(span))); // no pauses
    }

    void rejectsBadInvocations() {
        QFile(temp_.filePath("COM5")).open(QIODevice::WriteOnly);
        const QString aliasDir = " --alias-dir " + temp_.path(); // where COM5 is a file
        // clang-format off
        for (const auto& [name, args, exitCode, message] :
             std::initializer_list<std::tuple<const char*, QString, int, QString>>{
                 {"unknown option", "--bogus", 2, "unknown option '--bogus'"},
                 {"start beyond 360", "--start 361", 2, "outside the range 0-360"},
                 {"baud without device", "--baud 9600", 2, "--baud only applies"},
                 {"alias is a file", "--alias 5" + aliasDir, 2, "COM5 exists and is not a symlink"},
                 {"device is no tty", "--device /dev/null", 1, "/dev/null is not a serial device"},
}) {
            // clang-format on
            Sim sim(args);
            QVERIFY(sim.waitForFinished() && sim.exitStatus() == QProcess::NormalExit);
            const QByteArray err = sim.readAllStandardError();
            QVERIFY2(sim.exitCode() == exitCode && err.contains(message.toUtf8()), err.constData());
            QVERIFY(fs::is_regular_file(fs::symlink_status(temp_.filePath("COM5").toStdString())));
        }
    }

private:
    QTemporaryDir temp_;
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
