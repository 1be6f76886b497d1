#include "alias.h"
#include "noise.h"
#include "protocol.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <unistd.h>

using namespace roteka::sim;
using namespace Qt::StringLiterals;
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

namespace roteka::sim {
char* toString(Command::Kind kind) {
    return qstrdup(std::array{"TurnLeft", "TurnRight", "Stop", "MoveTo"}[int(kind)]);
}
} // namespace roteka::sim

// The rotator model on a fake clock, the noise and the alias in-process, and roteka-sim itself.
class TestSim : public QObject {
    Q_OBJECT

private slots:
    // Lines received and "+ms" clock steps from a start in a range; the azimuth and motion after.
    void turns_data() {
        QTest::addColumn<int>("range");
        QTest::addColumn<double>("start");
        QTest::addColumn<QString>("script");
        QTest::addColumn<double>("azimuth");
        QTest::addColumn<bool>("moving");
        QTest::addColumn<int>("reported"); // whole degrees, rounded
        // clang-format off
        QTest::newRow("R after L turns back") << 360 << 100.0 << "L +2000 R +1000" << 94.0 << true << 94;
        QTest::newRow("R stops at 360") << 360 << 350.0 << "R +5000" << 360.0 << false << 360;
        QTest::newRow("R passes 360 in 450 range") << 450 << 355.0 << "R +2000" << 367.0 << true << 367;
        QTest::newRow("R stops at 450") << 450 << 440.0 << "R +5000" << 450.0 << false << 450;
        QTest::newRow("L stops at 0") << 360 << 5.0 << "L +2000" << 0.0 << false << 0;
        QTest::newRow("A stops between degrees") << 360 << 0.0 << "R +1300 A +1000" << 7.8 << false << 8;
        QTest::newRow("M010 from 350 goes back, not past the stop") << 360 << 350.0 << "M010 +1000" << 344.0 << true << 344;
        QTest::newRow("M370 in 450 range passes north") << 450 << 350.0 << "M370 +60000" << 370.0 << false << 370;
        QTest::newRow("M400 stops at the range end") << 360 << 10.0 << "M400 +60000" << 360.0 << false << 360;
        QTest::newRow("not commands") << 360 << 50.0 << "l M10 M-10 LL AZ=010 +1000" << 50.0 << false << 50;
        // clang-format on
    }
    void turns() {
        QFETCH(int, range);
        QFETCH(double, start);
        QFETCH(QString, script);
        Rotator rotator(6.0, range, start);
        for (const QString& word : script.split(' ')) {
            if (const auto command = parseCommand(word.toStdString()))
                applyCommand(*command, rotator);
            for (int left = word.startsWith('+') ? word.toInt() : 0; left > 0; left -= 333)
                rotator.advance(std::chrono::milliseconds(std::min(left, 333))); // a slow clock
        }
        QTEST(std::round(rotator.azimuth() * 1e6) / 1e6, "azimuth");
        QTEST(rotator.moving(), "moving");
        QTEST(rotator.reportedAzimuth(), "reported");
    }

    // A received line as a command: the letter alone, or M and exactly three digits.
    void commands_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("command");
        QTest::addColumn<Command::Kind>("kind");
        QTest::addColumn<int>("bearing");
        const auto none = Command::Kind::Stop;
        // clang-format off
        QTest::newRow("L") << "L" << true << Command::Kind::TurnLeft << 0;
        QTest::newRow("R") << "R" << true << Command::Kind::TurnRight << 0;
        QTest::newRow("A") << "A" << true << Command::Kind::Stop << 0;
        QTest::newRow("M000") << "M000" << true << Command::Kind::MoveTo << 0;
        QTest::newRow("M010") << "M010" << true << Command::Kind::MoveTo << 10;
        QTest::newRow("M999") << "M999" << true << Command::Kind::MoveTo << 999;
        for (const char* other : {"", "l", "a", "m010", "M10", "M0100", "M-10", "M+10", "M1a0", "M 10", "LL"})
            QTest::newRow(*other ? other : "empty") << other << false << none << 0;
        for (const char* other : {"L ", " A", "AZ=010", "M010\r"})
            QTest::newRow(*other ? other : "empty") << other << false << none << 0;
        // clang-format on
    }
    void commands() {
        QFETCH(QString, line);
        const std::optional<Command> command = parseCommand(line.toStdString());
        QTEST(command.has_value(), "command");
        if (command) {
            QTEST(command->kind, "kind");
            QTEST(command->bearing, "bearing");
        }
    }

    // The report: three digits, clamped to 000-999.
    void reports_data() {
        QTest::addColumn<int>("azimuth");
        QTest::addColumn<QByteArray>("report");
        // clang-format off
        QTest::newRow("-1") << -1 << "AZ=000\r\n"_ba;
        QTest::newRow("7") << 7 << "AZ=007\r\n"_ba;
        QTest::newRow("450") << 450 << "AZ=450\r\n"_ba;
        QTest::newRow("999") << 999 << "AZ=999\r\n"_ba;
        QTest::newRow("1000") << 1000 << "AZ=999\r\n"_ba;
        // clang-format on
    }
    void reports() {
        QFETCH(int, azimuth);
        QTEST(QByteArray::fromStdString(formatReport(azimuth)), "report");
    }

    // Noise never forms a report: not on its own, nor by completing one that went out cut short.
    void noiseNeverFormsAReport_data() {
        QTest::addColumn<int>("first"); // seeds first, first + 5, ... below 5000
        QTest::addColumn<QByteArray>("cut");
        // clang-format off
        QTest::newRow("nothing before") << 0 << ""_ba;
        QTest::newRow("after AZ=") << 1 << "AZ="_ba;
        QTest::newRow("after AZ=1") << 2 << "AZ=1"_ba;
        QTest::newRow("after AZ=12") << 3 << "AZ=12"_ba;
        QTest::newRow("after a report and AZ=04") << 4 << "AZ=123\r\nAZ=04"_ba;
        // clang-format on
    }
    void noiseNeverFormsAReport() {
        QFETCH(int, first);
        QFETCH(QByteArray, cut);
        const QRegularExpression report("AZ=[0-9]{3}");
        for (quint64 seed = first; seed < 5000; seed += 5) {
            NoiseGenerator noise(seed);
            std::string stream = cut.mid(cut.lastIndexOf('\n') + 1).toStdString();
            noise.observe(cut.toStdString());
            for (int i = 0; i < 10; ++i)
                stream += noise.burst();
            const QString found = report.match(QString::fromLatin1(stream)).captured();
            QVERIFY2(found.isEmpty(), qPrintable(QString("seed %1 formed %2 in %3")
                                                     .arg(seed)
                                                     .arg(found, QString::fromLatin1(stream))));
        }
    }

    void noiseRepeatsForASeed() {
        NoiseGenerator a(7), b(7); // --seed repeats it
        for (int i = 0; i < 20; ++i)
            QCOMPARE(a.burst(), b.burst());
    }

    // The alias directory from XDG_CONFIG_HOME (used when absolute) and HOME; null: unset.
    void aliasDirectory_data() {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QString>("directory");
        // clang-format off
        QTest::newRow("absolute config") << "/c"_ba << "/h"_ba << "/c/roteka/ports";
        QTest::newRow("relative config") << "x"_ba << "/h"_ba << "/h/.config/roteka/ports";
        QTest::newRow("empty config") << ""_ba << "/h"_ba << "/h/.config/roteka/ports";
        QTest::newRow("no config") << QByteArray() << "/h"_ba << "/h/.config/roteka/ports";
        QTest::newRow("config without home") << "/c"_ba << QByteArray() << "/c/roteka/ports";
        QTest::newRow("empty home") << "x"_ba << ""_ba << "";
        // clang-format on
    }
    void aliasDirectory() {
        QFETCH(QByteArray, config);
        QFETCH(QByteArray, home);
        const auto orNull = [](const QByteArray& b) {
            return b.isNull() ? nullptr : b.constData();
        };
        QTEST(QString::fromStdString(aliasDirFromEnvironment(orNull(config), orNull(home))),
              "directory");
    }

    void aliasLeavesOthersLinks() {
        AliasLink alias;
        QCOMPARE(alias.bind(temp_.path().toStdString(), 9, "/x").status, AliasLink::Status::Ok);
        const std::string link = alias.path();
        fs::remove(link); // taken over by another, so no longer ours to remove
        fs::create_symlink("/dev/null", link);
        alias.release();
        QCOMPARE(QString::fromStdString(fs::read_symlink(link).string()), "/dev/null");
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
        QCOMPARE(line.got.left(8), "AZ=450\r\n");
        QCOMPARE(line.got.right(8), "AZ=010\r\n");
        QCOMPARE_GT(line.got.count("AZ="), 3);
        QVERIFY(line.send("L\rA\na\x01\\\r" + QByteArray(300, 'x') + "\r\n"));
        for (const QByteArray rx : {"M010", "L", "A", "a\\x01\\\\", "x"})
            QCOMPARE(sim.line(), "RX " + (rx == "x" ? QByteArray(256, 'x') : rx));
        sim.terminate();
        QVERIFY(sim.waitForFinished());
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit); // not killed by the signal
        QCOMPARE(sim.exitCode(), 0);
        QCOMPARE(sim.readAllStandardError(), "");
        QVERIFY(!fs::exists(fs::symlink_status(link)));
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

    // What roteka-sim says on standard error, and its exit code.
    void rejectsBadInvocations_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        const QString file = temp_.filePath("COM5"); // a file, not a link
        QFile(file).open(QIODevice::WriteOnly);
        // clang-format off
        QTest::newRow("unknown option") << "--bogus" << 2 << "unknown option '--bogus'";
        QTest::newRow("start beyond 360") << "--start 361" << 2 << "--start 361 lies outside the range 0-360 (use --range 450 for more)";
        QTest::newRow("start beyond 450") << "--range 450 --start 451" << 2 << "invalid value '451' for --start (expected a whole number from 0 to 450)";
        QTest::newRow("range neither 360 nor 450") << "--range 400" << 2 << "invalid value '400' for --range (expected 360 or 450)";
        QTest::newRow("baud without device") << "--baud 9600" << 2 << "--baud only applies together with --device or --back-to-back";
        QTest::newRow("alias is a file") << "--alias 5 --alias-dir " + temp_.path() << 2 << file + " exists and is not a symlink; not replacing it";
        QTest::newRow("device is no tty") << "--device /dev/null" << 1 << "/dev/null is not a serial device";
        // clang-format on
    }
    void rejectsBadInvocations() {
        QFETCH(QString, arguments);
        QFETCH(QString, error);
        Sim sim(arguments);
        QVERIFY(sim.waitForFinished());
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QTEST(sim.exitCode(), "exitCode");
        QCOMPARE(QString(sim.readAllStandardError()).section('\n', 0, 0), "roteka-sim: " + error);
        QVERIFY(fs::is_regular_file(fs::symlink_status(temp_.filePath("COM5").toStdString())));
    }

private:
    QTemporaryDir temp_;
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
