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

// A turn for the rotor as the loggers send it, padded with blanks to the size when one is given.
QByteArray n1mmTurn(const QString& rotor, const QString& bearing, qsizetype size = 0) {
    const QByteArray packet =
        QStringLiteral("<N1MMRotor><rotor>%1</rotor><goazi>%2</goazi><offset>0.0</offset>"
                       "<bidirectional>0</bidirectional><freqband>14</freqband></N1MMRotor>")
            .arg(rotor, bearing)
            .toUtf8();
    return packet + QByteArray(qMax<qsizetype>(0, size - packet.size()), ' ');
}

// What arrives at the socket until the time is up or the count is reached.
QList<QByteArray> received(QUdpSocket& socket, int count, int ms = 3000) {
    QList<QByteArray> got;
    waitFor(
        [&] {
            while (socket.hasPendingDatagrams())
                got.append(socket.receiveDatagram().data());
            return got.size() >= count;
        },
        ms);
    return got;
}

// Responsibilities: the control on the fake port, a report of 146 taken, with an N1MM listener
// (status to a socket of the test's) and a PstRotator listener (answers at its port + 1) on free
// loopback ports, and a socket to send from.
struct Listened : FakeStation {
    Listened(std::optional<QString> name = std::nullopt)
        : n1mm(requests, std::move(name), (status.bind(Local, 0), status.localPort())) {
        paired = n1mm.bind(Local, 0);
        for (int attempt = 0; attempt < 20 && paired && !answers.isValid(); ++attempt) {
            pst = std::make_unique<PstListener>(requests);
            if (!pst->bind(Local, 0) || !answers.bind(Local, pst->port() + 1))
                answers.close();
        }
        paired = paired && answers.isValid();
        platform.serial.feed("AZ=146\r\n");
        platform.serial.written.clear();
    }
    void toN1mm(const QByteArray& bytes) { sender.writeDatagram(bytes, Local, n1mm.port()); }
    void toPst(const QByteArray& bytes) { sender.writeDatagram(bytes, Local, pst->port()); }
    QUdpSocket status, answers, sender;
    N1mmListener n1mm;
    std::unique_ptr<PstListener> pst;
    bool paired = false;
};

} // namespace

class UdpTest : public QObject {
    Q_OBJECT
private slots:
    // A datagram to a listener (PST for the one that begins "<PST>"), the offset 10, the rotor
    // name given or none: what goes to the controller, and the status or the answer that comes
    // back (the bearing less the offset).
    void datagrams_data() {
        const QByteArray stop =
            "<N1MMRotor><stop><rotor>X</rotor><freqband>21.0</freqband></stop></N1MMRotor>";
        // clang-format off
        table<QString, QByteArray, QByteArray, QByteArray>({"name", "datagram", "sent", "back"}, {
            {"N1MM turn", "", n1mmTurn("ROTEKA", "55.0"), "M065\r\n", "ROTEKA @ 1360"},
            {"long path past 360", "", n1mmTurn("X", "400"), "M050\r\n", "X @ 1360"},
            {"N1MM stop", "", stop, "A\r\n", "X @ 1360"},
            {"short stop", "", "<N1MMRotor><rotor>X</rotor><stop>1</stop></N1MMRotor>", "A\r\n", "X @ 1360"},
            {"its name", "MAIN", n1mmTurn("MAIN", "10"), "M020\r\n", "MAIN @ 1360"},
            {"another name", "MAIN", n1mmTurn("Rotor2", "55"), "", ""},
            {"name in other case", "MAIN", n1mmTurn("main", "55"), "", ""},
            {"PST azimuth", "", "<PST><AZIMUTH>85.4</AZIMUTH></PST>", "M095\r\n", ""},
            {"PST stop", "", "<PST><STOP>1</STOP></PST>", "A\r\n", ""},
            {"PST question", "", "<PST>AZ?</PST>", "", "AZ:136\r"},
            {"last turn counts", "", "<PST><AZIMUTH>10</AZIMUTH><AZIMUTH>20</AZIMUTH></PST>", "M030\r\n", ""},
            {"turn, then stop", "", "<PST><AZIMUTH>10</AZIMUTH><STOP>1</STOP></PST>", "A\r\n", ""},
            {"stop, then turn", "", "<PST><STOP/></PST><PST><AZIMUTH>10</AZIMUTH></PST>", "A\r\nM020\r\n", ""},
            {"London from Tokyo", "", "<PST><QRA>io91wm</QRA></PST>", "M346\r\n", ""},
            {"no locator", "", "<PST><QRA>ZZ99</QRA></PST>", "", ""},
            {"park, elevation", "", "<PST><PARK>1</PARK><ELEVATION>10</ELEVATION></PST>", "", ""},
        });
        // clang-format on
    }
    void datagrams() {
        QFETCH(QString, name);
        QFETCH(QByteArray, datagram);
        QFETCH(QByteArray, back);
        Listened s(name.isEmpty() ? std::nullopt : std::optional(name));
        QVERIFY(s.paired);
        s.control.setOffsetField("10");
        s.requests.setStation(GeoPoint{35.68, 139.77});
        const bool pst = datagram.startsWith("<PST>");
        pst ? s.toPst(datagram) : s.toN1mm(datagram);
        const QList<QByteArray> got =
            received(pst ? s.answers : s.status, 1, back.isEmpty() ? 300 : 3000);
        QCOMPARE(got, back.isEmpty() ? QList<QByteArray>() : QList{back});
        QCOMPARE(s.platform.serial.written, FETCHED(QByteArray, sent));
    }

    // Status: none before a packet; then at each change of the azimuth, no more than five a
    // second however fast it changes, every two seconds when nothing changes; none while the port
    // is closed. With the port closed a question is not answered.
    void statusPace() {
        Listened s;
        QVERIFY(s.paired);
        s.platform.serial.feed("AZ=100");
        QCOMPARE(received(s.status, 1, 300), QList<QByteArray>());
        s.toN1mm(n1mmTurn("A", "200"));
        QCOMPARE(received(s.status, 1), QList{"A @ 1000"_ba});
        QElapsedTimer clock;
        clock.start();
        qsizetype statuses = 0;
        for (int azimuth = 110; clock.elapsed() < 1000;
             azimuth = azimuth == 199 ? 110 : azimuth + 1) {
            s.platform.serial.feed(QStringLiteral("AZ=%1").arg(azimuth).toLatin1());
            statuses += received(s.status, 100, 10).size();
        }
        QCOMPARE_GE(statuses, 4);
        QCOMPARE_LE(statuses, 5);
        QCOMPARE(received(s.status, 1, 2600).size(),
                 1); // the last change, within a fifth of a second
        QCOMPARE(received(s.status, 1, 2600).size(), 1); // nothing changed: every two seconds
        s.platform.serial.close();
        s.platform.serial.feed("AZ=300");
        s.toPst("<PST>AZ?</PST>");
        QCOMPARE(received(s.status, 1, 2600) + received(s.answers, 1, 100), QList<QByteArray>());
    }

    // Every malformed datagram does nothing but a log line, and the next good one works; a
    // datagram of exactly the largest size is read, one byte more is refused. A locator without a
    // station is logged too.
    void badDatagrams_data() {
        const QByteArray pst = "<PST><AZIMUTH>1</AZIMUTH></PST>";
        const QByteArray longest = pst + QByteArray(MaxRotorDatagram - pst.size(), ' ');
        // clang-format off
        table<QByteArray, QString>({"datagram", "logged"}, {
            {"not UTF-8", "<PST><AZIMUTH>\xff</AZIMUTH></PST>", "refused a datagram from 127.0.0.1: "},
            {"64 KB", QByteArray(65000, 'A'), "refused a datagram from 127.0.0.1: "},
            {"one byte too long", longest + ' ', "refused a datagram from 127.0.0.1: "},
            {"N1MM, one byte too long", n1mmTurn("X", "1", MaxRotorDatagram + 1), "refused a datagram"},
            {"tags missing", "AZIMUTH 85", "refused a datagram from 127.0.0.1: "},
            {"unclosed", "<N1MMRotor><goazi>5</goazi>", "refused a datagram"},
            {"nested twice", "<N1MMRotor><N1MMRotor><goazi>5</goazi></N1MMRotor></N1MMRotor>", "refused a datagram"},
            {"empty bearing", n1mmTurn("X", ""), "refused a datagram"},
            {"nan", n1mmTurn("X", "nan"), "refused a datagram"},
            {"inf", "<PST><AZIMUTH>inf</AZIMUTH></PST>", "refused a datagram"},
            {"1e400", n1mmTurn("X", "1e400"), "refused a datagram"},
            {"negative", "<PST><AZIMUTH>-5</AZIMUTH></PST>", "refused a datagram"},
            {"text", n1mmTurn("X", "north"), "refused a datagram"},
            {"locator, no station", "<PST><QRA>JO01</QRA></PST>", "no turn to JO01: the map records no station"},
        });
        // clang-format on
    }
    void badDatagrams() {
        QFETCH(QByteArray, datagram);
        Listened s;
        QVERIFY(s.paired);
        const bool pst = !datagram.startsWith("<N1MM");
        LogRecorder log;
        pst ? s.toPst(datagram) : s.toN1mm(datagram);
        QVERIFY(waitFor([&] { return log.lines.size() == 1; }));
        QVERIFY2(log.lines[0].contains(FETCHED(QString, logged)), qPrintable(log.lines[0]));
        const QByteArray pstTurn = "<PST><AZIMUTH>1</AZIMUTH></PST>";
        pst ? s.toPst(pstTurn + QByteArray(MaxRotorDatagram - pstTurn.size(), ' '))
            : s.toN1mm(n1mmTurn("X", "1", MaxRotorDatagram));
        QVERIFY(waitFor([&] { return !s.platform.serial.written.isEmpty(); }));
        QCOMPARE(s.platform.serial.written, "M001\r\n");
    }

    // A flood of 10,000 turns a second: the event loop stays free, and the controller gets only
    // what it can use, the newest bearing, not a queue of thousands.
    void flood() {
        Listened s;
        QVERIFY(s.paired);
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] { ++ticks; });
        tick.start(10);
        QElapsedTimer clock;
        clock.start();
        for (int sent = 0; sent < 10000; QTest::qWait(10))
            for (int i = 0; i < 100; ++i, ++sent)
                s.toN1mm(n1mmTurn("X", QString::number(sent % 360)));
        s.toN1mm(n1mmTurn("X", "123"));
        QVERIFY(waitFor([&] { return s.platform.serial.written.endsWith("M123\r\n"); }));
        const qint64 elapsed = clock.elapsed();
        QCOMPARE_LE(s.platform.serial.written.count('\n'),
                    elapsed / RemoteRequests::MinTurnIntervalMs + 2);
        QCOMPARE_GE(ticks, elapsed / 10 / 2); // a 10 ms timer kept running through the flood
    }

    // A port another program holds without sharing: the same message as --listen, and the
    // control runs on; a port shared by another listener is no obstacle.
    void portTaken() {
        QUdpSocket holder, sharer;
        QVERIFY(holder.bind(Local, 0, QAbstractSocket::DontShareAddress));
        QVERIFY(sharer.bind(Local, 0,
                            QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint));
        FakeStation s;
        PstListener pst(s.requests);
        N1mmListener n1mm(s.requests, std::nullopt);
        LogRecorder log;
        QVERIFY(!bindOrReport(pst, "127.0.0.1", holder.localPort(), s.platform.messages));
        QVERIFY(bindOrReport(n1mm, "127.0.0.1", sharer.localPort(), s.platform.messages));
        QCOMPARE(s.platform.messages.shown.size(), 1);
        QVERIFY(s.platform.messages.shown[0].startsWith(
            "ネットワークからの制御を開始できませんでした。"));
        QVERIFY(s.platform.messages.shown[0].contains("ほかのプログラムが使用中です。"));
        QCOMPARE(log.containing("roteka.net: cannot listen on 127.0.0.1").size(), 1);
    }
};

QTEST_MAIN(UdpTest)
#include "test_udp.moc"
