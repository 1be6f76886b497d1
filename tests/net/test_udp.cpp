// Logging and contest programs over UDP: N1MM rotor packets and the PstRotator UDP control, on
// real sockets, the control on the fake port behind them.
#include "LogRecorder.h"
#include "Stations.h"

#include "net/Listening.h"
#include "net/N1mmListener.h"
#include "net/PstListener.h"
#include "rules/RotorPackets.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

namespace {

const QHostAddress Local = QHostAddress::LocalHost;

// The packet padded with blanks to the size.
QByteArray sized(const QByteArray& packet, qsizetype size) {
    return packet + QByteArray(size - packet.size(), ' ');
}

// A turn for the rotor, as the loggers send it.
QByteArray n1mmTurn(const QString& rotor, const QString& bearing) {
    return QStringLiteral("<N1MMRotor><rotor>%1</rotor><goazi>%2</goazi><offset>0.0</offset>"
                          "<bidirectional>0</bidirectional><freqband>14</freqband></N1MMRotor>")
        .arg(rotor, bearing)
        .toUtf8();
}

// Responsibilities: a UDP socket on a free loopback port that sends to the listener and gathers
// what comes back.
struct Peer {
    Peer(quint16 at = 0) { bound = socket.bind(Local, at); }
    void send(const QByteArray& bytes, quint16 port) { socket.writeDatagram(bytes, Local, port); }
    // What arrived until the time is up (or the count is reached).
    QList<QByteArray> receive(int count, int ms = 3000) {
        waitFor(
            [&] {
                while (socket.hasPendingDatagrams())
                    got.append(socket.receiveDatagram().data());
                return got.size() >= count;
            },
            ms);
        return std::exchange(got, {});
    }
    QUdpSocket socket;
    QList<QByteArray> got;
    bool bound = false;
};

// The control on the fake port with an N1MM listener on a free loopback port; status goes to the
// status peer.
struct N1mmStation : FakeStation {
    explicit N1mmStation(std::optional<QString> name = std::nullopt)
        : listener(requests, std::move(name), status.socket.localPort()) {
        bound = listener.bind(Local, 0);
        platform.serial.feed("AZ=146\r\n");
        platform.serial.written.clear();
    }
    Peer status;
    N1mmListener listener;
    Peer logger;
    bool bound = false;
};

// The control on the fake port with a PstRotator listener whose port + 1 is free for the answers.
struct PstStation : FakeStation {
    PstStation() {
        for (int attempt = 0; attempt < 20 && !paired; ++attempt) {
            listener = std::make_unique<PstListener>(requests);
            answers.socket.close();
            paired = listener->bind(Local, 0) && answers.socket.bind(Local, listener->port() + 1);
        }
        platform.serial.feed("AZ=085\r\n");
        platform.serial.written.clear();
    }
    void send(const QByteArray& bytes) { program.send(bytes, listener->port()); }
    std::unique_ptr<PstListener> listener;
    Peer answers;
    Peer program;
    bool paired = false;
};

} // namespace

class UdpTest : public QObject {
    Q_OBJECT
private slots:
    // Packets for the rotor turn and stop the antenna as the map and the stop button would; the
    // status comes back less the offset, under the name given or the packet's.
    void n1mmPackets_data() {
        QTest::addColumn<QString>("name"); // given with --rotor-name; empty: none given
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("status");
        const QByteArray turn = n1mmTurn("ROTEKA", "55.0");
        const QByteArray stop = "<N1MMRotor><stop><rotor>X</rotor><freqband>21.0</freqband></stop></N1MMRotor>";
        // clang-format off
        QTest::newRow("turn") << "" << turn << "M065\r\n"_ba << "ROTEKA @ 1360"_ba;
        QTest::newRow("long path past 360") << "" << n1mmTurn("X", "400") << "M050\r\n"_ba << "X @ 1360"_ba;
        QTest::newRow("stop") << "" << stop << "A\r\n"_ba << "X @ 1360"_ba;
        QTest::newRow("short stop") << "" << "<N1MMRotor><rotor>X</rotor><stop>1</stop></N1MMRotor>"_ba << "A\r\n"_ba << "X @ 1360"_ba;
        QTest::newRow("its name") << "ROTEKA" << turn << "M065\r\n"_ba << "ROTEKA @ 1360"_ba;
        QTest::newRow("another name") << "ROTEKA" << n1mmTurn("Rotor2", "55") << ""_ba << ""_ba;
        QTest::newRow("name in other case") << "ROTEKA" << n1mmTurn("roteka", "55") << ""_ba << ""_ba;
        QTest::newRow("given name reported") << "MAIN" << n1mmTurn("MAIN", "10") << "M020\r\n"_ba << "MAIN @ 1360"_ba;
        // clang-format on
    }
    void n1mmPackets() {
        QFETCH(QString, name);
        QFETCH(QByteArray, status);
        N1mmStation s(name.isEmpty() ? std::nullopt : std::optional(name));
        QVERIFY(s.bound && s.status.bound);
        s.control.setOffsetField("10");
        s.logger.send(FETCHED(QByteArray, packet), s.listener.port());
        QCOMPARE(s.status.receive(1, status.isEmpty() ? 500 : 3000),
                 status.isEmpty() ? QList<QByteArray>() : QList{status});
        QCOMPARE(s.platform.serial.written, FETCHED(QByteArray, sent));
    }

    // Status: none before a packet; then at each change of the azimuth, no more than five a
    // second however fast it changes, every two seconds when nothing changes; none while the port
    // is closed.
    void n1mmStatusPace() {
        N1mmStation s;
        QVERIFY(s.bound);
        for (int azimuth = 100; azimuth < 110; ++azimuth)
            s.platform.serial.feed(QStringLiteral("AZ=%1").arg(azimuth).toLatin1());
        QCOMPARE(s.status.receive(1, 500), QList<QByteArray>());
        s.logger.send(n1mmTurn("A", "200"), s.listener.port());
        QCOMPARE(s.status.receive(1), QList{"A @ 1090"_ba});
        QElapsedTimer clock;
        clock.start();
        QList<QByteArray> statuses;
        for (int azimuth = 110; clock.elapsed() < 1000;
             azimuth = azimuth == 199 ? 110 : azimuth + 1) {
            s.platform.serial.feed(QStringLiteral("AZ=%1").arg(azimuth).toLatin1());
            statuses += s.status.receive(100, 10);
        }
        QCOMPARE_GE(statuses.size(), 4);
        QCOMPARE_LE(statuses.size(), 5);
        statuses = s.status.receive(1, 2600);
        QCOMPARE(statuses.size(), 1); // the last change, within a fifth of a second
        QCOMPARE(s.status.receive(1, 2600).size(), 1); // nothing changed: every two seconds
        s.platform.serial.close();
        s.platform.serial.feed("AZ=300");
        QCOMPARE(s.status.receive(1, 2600), QList<QByteArray>());
    }

    // PstRotator commands: turns (the last of a datagram), stops, the azimuth asked, a locator
    // from the station, what ROTEKA has no use for.
    void pstCommands_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("answer");
        // clang-format off
        QTest::newRow("azimuth") << "<PST><AZIMUTH>85</AZIMUTH></PST>"_ba << "M095\r\n"_ba << ""_ba;
        QTest::newRow("decimal azimuth") << "<PST><AZIMUTH>85.4</AZIMUTH></PST>"_ba << "M095\r\n"_ba << ""_ba;
        QTest::newRow("stop") << "<PST><STOP>1</STOP></PST>"_ba << "A\r\n"_ba << ""_ba;
        QTest::newRow("question") << "<PST>AZ?</PST>"_ba << ""_ba << "AZ:075\r"_ba;
        QTest::newRow("last turn counts") << "<PST><AZIMUTH>10</AZIMUTH><AZIMUTH>20</AZIMUTH></PST>"_ba << "M030\r\n"_ba << ""_ba;
        QTest::newRow("turn, then stop") << "<PST><AZIMUTH>10</AZIMUTH><STOP>1</STOP></PST>"_ba << "A\r\n"_ba << ""_ba;
        QTest::newRow("stop, then turn") << "<PST><STOP/></PST><PST><AZIMUTH>10</AZIMUTH></PST>"_ba << "A\r\nM020\r\n"_ba << ""_ba;
        QTest::newRow("London from Tokyo") << "<PST><QRA>io91wm</QRA></PST>"_ba << "M346\r\n"_ba << ""_ba;
        QTest::newRow("no locator") << "<PST><QRA>ZZ99</QRA></PST>"_ba << ""_ba << ""_ba;
        QTest::newRow("park, elevation") << "<PST><PARK>1</PARK><ELEVATION>10</ELEVATION></PST>"_ba << ""_ba << ""_ba;
        // clang-format on
    }
    void pstCommands() {
        QFETCH(QByteArray, answer);
        PstStation s;
        QVERIFY(s.paired);
        s.control.setOffsetField("10");
        s.requests.setStation(GeoPoint{35.68, 139.77});
        s.send(FETCHED(QByteArray, datagram));
        QCOMPARE(s.answers.receive(1, answer.isEmpty() ? 300 : 3000),
                 answer.isEmpty() ? QList<QByteArray>() : QList{answer});
        QCOMPARE(s.platform.serial.written, FETCHED(QByteArray, sent));
    }

    // A locator without a station, and a question with the port closed, do nothing but say why.
    void pstWithoutStationOrPort() {
        PstStation s;
        QVERIFY(s.paired);
        LogRecorder log;
        s.send("<PST><QRA>JO01</QRA></PST>");
        QVERIFY(waitFor([&] { return !log.lines.isEmpty(); }));
        QCOMPARE(log.lines,
                 QStringList{"roteka.control: no turn to JO01: the map records no station"});
        s.platform.serial.close();
        s.send("<PST>AZ?</PST>");
        QCOMPARE(s.answers.receive(1, 300), QList<QByteArray>());
        QCOMPARE(s.platform.serial.written, QByteArray());
    }

    // Every malformed datagram does nothing but a log line, and the next good one works; a
    // datagram of exactly the largest size is read, one byte more is refused.
    void badDatagrams_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("pst");
        QTest::newRow("not UTF-8") << "<PST><AZIMUTH>\xff</AZIMUTH></PST>"_ba << true;
        QTest::newRow("64 KB") << QByteArray(65000, 'A') << false;
        QTest::newRow("one byte too long")
            << sized("<PST><AZIMUTH>1</AZIMUTH></PST>", MaxRotorDatagram + 1) << true;
        QTest::newRow("N1MM, too long") << sized(n1mmTurn("X", "1"), MaxRotorDatagram + 1) << false;
        QTest::newRow("tags missing") << "AZIMUTH 85"_ba << true;
        QTest::newRow("unclosed") << "<N1MMRotor><goazi>5</goazi>"_ba << false;
        QTest::newRow("nested twice")
            << "<N1MMRotor><N1MMRotor><goazi>5</goazi></N1MMRotor></N1MMRotor>"_ba << false;
        QTest::newRow("empty bearing") << n1mmTurn("X", "") << false;
        QTest::newRow("nan") << n1mmTurn("X", "nan") << false;
        QTest::newRow("inf") << "<PST><AZIMUTH>inf</AZIMUTH></PST>"_ba << true;
        QTest::newRow("1e400") << n1mmTurn("X", "1e400") << false;
        QTest::newRow("negative") << "<PST><AZIMUTH>-5</AZIMUTH></PST>"_ba << true;
        QTest::newRow("text") << n1mmTurn("X", "north") << false;
    }
    void badDatagrams() {
        QFETCH(bool, pst);
        PstStation p;
        N1mmStation n;
        QVERIFY(p.paired && n.bound);
        const quint16 port = pst ? p.listener->port() : n.listener.port();
        LogRecorder log;
        n.logger.send(FETCHED(QByteArray, datagram), port);
        QVERIFY(waitFor([&] { return log.lines.size() == 1; }));
        QVERIFY2(log.lines[0].startsWith("roteka.net: ") &&
                     log.lines[0].contains("refused a datagram from 127.0.0.1: "),
                 qPrintable(log.lines[0]));
        QCOMPARE(p.platform.serial.written + n.platform.serial.written, QByteArray());
        const QByteArray good = pst ? "<PST><AZIMUTH>1</AZIMUTH></PST>"_ba : n1mmTurn("X", "1");
        n.logger.send(sized(good, MaxRotorDatagram), port);
        QVERIFY(waitFor(
            [&] { return !(p.platform.serial.written + n.platform.serial.written).isEmpty(); }));
        QCOMPARE(p.platform.serial.written + n.platform.serial.written, "M001\r\n");
    }

    // A flood of 10,000 turns a second: the event loop stays free, and the controller gets only
    // what it can use, the newest bearing, not a queue of thousands.
    void flood() {
        N1mmStation s;
        QVERIFY(s.bound);
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] { ++ticks; });
        tick.start(10);
        QElapsedTimer clock;
        clock.start();
        for (int sent = 0; sent < 10000;) {
            for (int i = 0; i < 100; ++i, ++sent)
                s.logger.send(n1mmTurn("X", QString::number(sent % 360)), s.listener.port());
            QTest::qWait(10);
        }
        s.logger.send(n1mmTurn("X", "123"), s.listener.port());
        QVERIFY(waitFor([&] { return s.platform.serial.written.endsWith("M123\r\n"); }));
        const qint64 elapsed = clock.elapsed();
        const qsizetype lines = s.platform.serial.written.count('\n');
        QCOMPARE_LE(lines, elapsed / RemoteRequests::MinTurnIntervalMs + 2);
        QCOMPARE_GE(ticks, elapsed / 10 / 2); // a 10 ms timer kept running through the flood
    }

    // A port another program holds without sharing: the same message as --listen, and the
    // control runs on; a port shared by another listener is no obstacle.
    void portTaken() {
        QUdpSocket holder;
        QVERIFY(holder.bind(Local, 0, QAbstractSocket::DontShareAddress));
        FakeStation s;
        PstListener pst(s.requests);
        LogRecorder log;
        QVERIFY(!bindOrReport(pst, "127.0.0.1", holder.localPort(), s.platform.messages));
        QCOMPARE(s.platform.messages.shown.size(), 1);
        QVERIFY2(
            s.platform.messages.shown[0].startsWith("ネットワークからの制御を開始できませんでした。"
                                                    "\r\n\r\nアドレス：127.0.0.1　ポート："),
            qPrintable(s.platform.messages.shown[0]));
        QVERIFY(s.platform.messages.shown[0].contains("ほかのプログラムが使用中です。"));
        QCOMPARE(log.containing("roteka.net: cannot listen on 127.0.0.1").size(), 1);
        QUdpSocket sharer;
        QVERIFY(sharer.bind(Local, 0,
                            QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint));
        N1mmListener n1mm(s.requests, std::nullopt);
        QVERIFY(bindOrReport(n1mm, "127.0.0.1", sharer.localPort(), s.platform.messages));
        QCOMPARE(s.platform.messages.shown.size(), 1);
    }
};

QTEST_MAIN(UdpTest)
#include "test_udp.moc"
