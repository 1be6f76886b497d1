#include "../../support/Tables.h"
#include "alias.h"
#include "noise.h"
#include "protocol.h"

#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <unistd.h>

using namespace roteka::sim;
using namespace roteka::test;
using namespace Qt::StringLiterals;
namespace fs = std::filesystem;

// roteka-sim, and the program's end of its line once it has told its pseudo-terminal.
struct Sim : QProcess {
    explicit Sim(const QString& args, bool line = true) {
        start(ROTEKA_SIM_PATH, args.split(' '));
        fd = line ? ::open(this->line().mid(4).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    }
    ~Sim() { ::close(fd); }
    QByteArray line() { // what it prints on standard output
        for (QDeadlineTimer t(10000); !canReadLine() && !t.hasExpired();)
            waitForReadyRead(50);
        return readLine().trimmed();
    }
    void send(const QByteArray& b) { QCOMPARE(::write(fd, b.data(), b.size()), b.size()); }
    // Reads the line until `until` has come, or for ms milliseconds.
    void read(const QByteArray& until, int ms = 10000) {
        char b[512];
        pollfd p{fd, POLLIN, 0};
        for (QDeadlineTimer t(ms); !t.hasExpired() && !got.contains(until);)
            got.append(b, ::poll(&p, 1, 20) > 0 ? std::max<ssize_t>(::read(fd, b, 512), 0) : 0);
    }
    int fd;
    QByteArray got;
};

// The rotator model on a fake clock, the noise and the alias in-process, and roteka-sim itself.
class TestSim : public QObject {
    Q_OBJECT

private slots:
    // Lines received and "+ms" clock steps from a start in a range; the azimuth (reported rounded)
    // after, and whether it still turns. A command is the letter alone or M and three digits.
    void turns_data() {
        // clang-format off
        table<int, double, QString, double, bool>({"range", "start", "script", "azimuth", "moving"}, {
            {"R after L turns back", 360, 100, "L +2000 R +1000", 94, true},
            {"R stops at 450", 450, 440, "R +5000", 450, false},
            {"L stops at 0", 360, 5, "L +2000", 0, false},
            {"A stops between degrees", 360, 0, "R +1300 A +1000", 7.8, false},
            {"M010 from 350 goes back", 360, 350, "M010 +1000", 344, true},
            {"M370 passes north in 450", 450, 350, "M370 +60000", 370, false},
            {"M999 stops at the end", 360, 10, "M999 +60000", 360, false},
            {"not commands", 360, 50, "l M10 M0100 M-10 M1a0 AZ=010 +1000", 50, false},
        });
        // clang-format on
    }
    void turns() {
        Rotator rotator(6.0, FETCHED(int, range), FETCHED(double, start));
        for (const QString& word : FETCHED(QString, script).split(' ')) {
            if (const auto command = parseCommand(word.toStdString()))
                applyCommand(*command, rotator);
            for (int left = word.startsWith('+') ? word.toInt() : 0; left > 0; left -= 333)
                rotator.advance(std::chrono::milliseconds(std::min(left, 333))); // a slow clock
        }
        const double azimuth = FETCHED(double, azimuth);
        QCOMPARE(std::round(rotator.azimuth() * 1e6) / 1e6, azimuth);
        QCOMPARE(rotator.moving(), FETCHED(bool, moving));
        QCOMPARE(rotator.reportedAzimuth(), int(std::lround(azimuth)));
    }

    // The report: three digits, clamped to 000-999.
    void reports() {
        QByteArray all;
        for (const int azimuth : {-1, 7, 999, 1000})
            all += formatReport(azimuth).c_str();
        QCOMPARE(all, "AZ=000\r\nAZ=007\r\nAZ=999\r\nAZ=999\r\n");
    }

    // Noise never forms a report: not on its own, nor by completing one that went out cut short;
    // a seed repeats it.
    void noiseNeverFormsAReport_data() {
        // clang-format off
        table<QByteArray>({"cut"}, {
            {"nothing before", ""},
            {"after AZ=12", "AZ=12"},
            {"after a report and AZ=04", "AZ=123\r\nAZ=04"},
        });
        // clang-format on
    }
    void noiseNeverFormsAReport() {
        const QByteArray cut = FETCHED(QByteArray, cut);
        const QRegularExpression report("AZ=[0-9]{3}");
        for (quint64 seed = 0; seed < 2000; ++seed) {
            NoiseGenerator noise(seed);
            QString stream = cut.mid(cut.lastIndexOf('\n') + 1);
            noise.observe(cut.toStdString());
            for (int i = 0; i < 10; ++i)
                stream += QString::fromLatin1(noise.burst());
            QVERIFY2(!report.match(stream).hasMatch(),
                     qPrintable(u"seed %1: %2"_s.arg(seed).arg(stream)));
        }
        NoiseGenerator a(7), b(7);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(a.burst(), b.burst());
    }

    // The alias directory from XDG_CONFIG_HOME (used when absolute) and HOME; null: unset.
    void aliasDirectory_data() {
        const QByteArray unset;
        // clang-format off
        table<QByteArray, QByteArray, QString>({"config", "home", "directory"}, {
            {"absolute config", "/c", "/h", "/c/roteka/ports"},
            {"relative config", "x", "/h", "/h/.config/roteka/ports"},
            {"no config", unset, "/h", "/h/.config/roteka/ports"},
            {"empty home", "x", "", ""},
        });
        // clang-format on
    }
    void aliasDirectory() {
        const auto orNull = [](const QByteArray& b) {
            return b.isNull() ? nullptr : b.constData();
        };
        const auto config = FETCHED(QByteArray, config), home = FETCHED(QByteArray, home);
        QCOMPARE(QString::fromStdString(aliasDirFromEnvironment(orNull(config), orNull(home))),
                 FETCHED(QString, directory));
    }

    void aliasLeavesOthersLinks() {
        AliasLink alias;
        QCOMPARE(alias.bind(temp_.path().toStdString(), 9, "/x").status, AliasLink::Status::Ok);
        fs::remove(alias.path()); // taken over by another, so no longer ours to remove
        fs::create_symlink("/dev/null", alias.path());
        const std::string link = alias.path();
        alias.release();
        QCOMPARE(QString::fromStdString(fs::read_symlink(link).string()), "/dev/null");
    }

    void turnsThroughTheRangeLogsAndCleansUp() {
        const fs::path link = temp_.filePath("COM7").toStdString();
        fs::create_symlink("/dev/pts/999", link); // left over from an earlier run
        Sim sim("--alias-dir=" + temp_.path() +
                " --alias 7 --log --start 450 --range 450 --speed=1000 --moving-interval 20");
        QCOMPARE(sim.line(), "ALIAS " + QByteArray::fromStdString(link.string()));
        QCOMPARE(fs::read_symlink(link).string(), std::string(::ttyname(sim.fd)));
        sim.send("M0");
        sim.read("\a", 50); // the line comes in two reads
        sim.send("10\r\n");
        sim.read("AZ=010\r\n"); // from the end of the range back, reporting on the way
        QVERIFY2(sim.got.startsWith("AZ=450\r\n") && sim.got.count("AZ=") > 3, sim.got);
        sim.send("L\rA\na\x01\\\r" + QByteArray(300, 'x') + "\r\n");
        for (const QByteArray& rx :
             QByteArrayList{"M010", "L", "A", "a\\x01\\\\", QByteArray(256, 'x')})
            QCOMPARE(sim.line(), "RX " + rx);
        sim.terminate();
        QVERIFY(sim.waitForFinished());
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit); // not killed by the signal
        QCOMPARE(QByteArray::number(sim.exitCode()) + sim.readAllStandardError(), "0");
        QVERIFY(!fs::exists(fs::symlink_status(link)));
    }

    // Back to back, a report follows the last once its 80 bits have left, never sooner; the log of
    // what went out lists each reply the line carried, in order.
    void backToBackAtTheLinePace_data() {
        table<int>({"baud"},
                   {{"9600 baud, 120 a second", 9600}, {"115200 baud, 1440 a second", 115200}});
    }
    void backToBackAtTheLinePace() {
        const int baud = FETCHED(int, baud);
        Sim sim(u"--back-to-back --log-sent --speed 100 --baud %1"_s.arg(baud));
        sim.send("R\r");
        sim.read("\a", 500); // half a second of reports
        sim.terminate();
        QVERIFY(sim.waitForFinished());
        QByteArrayList sent, carried = sim.got.split('\n');
        QList<double> at;
        for (const QByteArray& tx : sim.readAllStandardOutput().split('\n')) {
            if (QByteArrayList words = tx.split(' '); words.size() == 3 && words[0] == "TX") {
                at.append(words[1].toDouble());
                sent.append(words[2].replace("\\x0D\\x0A", "\r"));
            }
        }
        carried.removeLast(); // cut short, or empty
        for (qsizetype next = 0; const QByteArray& reply : carried) {
            next = sent.indexOf(reply, next) + 1;
            QVERIFY2(next > 0, reply);
        }
        QVERIFY(carried.size() > 20 && carried.last() > carried.first()); // turning
        const double reports = at.size() - 1, span = (at.last() - at[0]) * baud / 80;
        QVERIFY2(reports > 50 && span >= reports - 0.05 * baud / 80 && span <= 2 * reports,
                 qPrintable(u"%1 reports in the time of %2"_s.arg(reports).arg(span)));
    }

    // What roteka-sim says on standard error after its exit code; a file in place of the alias
    // is left alone.
    void rejectsBadInvocations_data() {
        // clang-format off
        table<QString, QString>({"arguments", "said"}, {
            {"unknown option", "--bogus", "2 unknown option '--bogus'"},
            {"start beyond 360", "--start 361", "2 --start 361 lies outside the range 0-360"},
            {"start beyond 450", "--range 450 --start 451", "2 invalid value '451' for --start"},
            {"range neither 360 nor 450", "--range 400", "2 invalid value '400' for --range"},
            {"baud without device", "--baud 9600", "2 --baud only applies together with --device"},
            {"alias is a file", "--alias 5 --alias-dir DIR", "2 DIR/COM5 exists and is not a symlink"},
            {"device is no tty", "--device /dev/null", "1 /dev/null is not a serial device"},
        });
        // clang-format on
    }
    void rejectsBadInvocations() {
        const QString file = temp_.filePath("COM5"), expected = FETCHED(QString, said)
                                                                    .replace("DIR", temp_.path())
                                                                    .insert(2, "roteka-sim: ");
        QFile(file).open(QIODevice::WriteOnly);
        Sim sim(FETCHED(QString, arguments).replace("DIR", temp_.path()), false);
        QVERIFY(sim.waitForFinished());
        const QString said =
            u"%1 %2"_s.arg(sim.exitStatus() ? -1 : sim.exitCode()).arg(sim.readAllStandardError());
        QCOMPARE(said.left(expected.size()), expected);
        QVERIFY(fs::is_regular_file(fs::symlink_status(file.toStdString())));
    }

private:
    QTemporaryDir temp_;
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
