// Logging and contest programs over UDP: N1MM rotor packets and the PstRotator UDP control, on
// real sockets, the control on the fake port behind them.
#include "LogRecorder.h"
#include "Stations.h"

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

// Responsibilities: the control on the fake port (146 reported) with both listeners on free
// loopback ports, the status and answer sockets, a sender.
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
    void send(const QByteArray& bytes) {
        sender.writeDatagram(bytes, Local, bytes.startsWith("<N1MM") ? n1mm.port() : pst->port());
    }
    QUdpSocket status, answers, sender;
    N1mmListener n1mm;
    std::unique_ptr<PstListener> pst;
    bool paired = false;
};

} // namespace

class UdpTest : public QObject {
    Q_OBJECT
private slots:
    // A datagram, offset 10, the rotor name given or none: what goes to the controller, and the
    // status or the answer that comes back (the bearing less the offset).
    void datagrams_data() {
        const QByteArray stop =
            "<N1MMRotor><stop><rotor>X</rotor><freqband>21.0</freqband></stop></N1MMRotor>";
        // clang-format off
        table<QString, QByteArray, QByteArray, QByteArray>({"name", "datagram", "sent", "back"}, {
            {"N1MM turn", "", n1mmTurn("ROTEKA", "55.0"), "M065\r\n", "ROTEKA @ 1360"},
            {"N1MM stop", "", stop, "A\r\n", "X @ 1360"},
            {"its name", "MAIN", n1mmTurn("MAIN", "10"), "M020\r\n", "MAIN @ 1360"},
            {"name in other case", "MAIN", n1mmTurn("main", "55"), "", ""},
            {"PST question", "", "<PST>AZ?</PST>", "", "AZ:136\r"},
            {"last turn counts", "", "<PST><AZIMUTH>10</AZIMUTH><AZIMUTH>20</AZIMUTH></PST>", "M030\r\n", ""},
            {"turn, then stop", "", "<PST><AZIMUTH>10</AZIMUTH><STOP>1</STOP></PST>", "A\r\n", ""},
            {"London from Tokyo", "", "<PST><QRA>io91wm</QRA></PST>", "M346\r\n", ""},
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
        s.send(datagram);
        const QList<QByteArray> got = received(datagram.startsWith("<PST>") ? s.answers : s.status,
                                               1, back.isEmpty() ? 300 : 3000);
        QCOMPARE(got, back.isEmpty() ? QList<QByteArray>() : QList{back});
        QCOMPARE(s.platform.serial.written, FETCHED(QByteArray, sent));
    }

    // Status: none before a packet; at each change, at most five a second; every two seconds
    // when nothing changes; none, and no answer, while the port is closed.
    void statusPace() {
        Listened s;
        QVERIFY(s.paired);
        s.platform.serial.feed("AZ=100");
        QCOMPARE(received(s.status, 1, 300), QList<QByteArray>());
        s.send(n1mmTurn("A", "200"));
        QCOMPARE(received(s.status, 1), QList{"A @ 1000"_ba});
        QElapsedTimer clock;
        clock.start();
        qsizetype statuses = 0;
        for (int azimuth = 110; clock.elapsed() < 1000;
             azimuth = azimuth == 199 ? 110 : azimuth + 1) {
            s.platform.serial.feed("AZ=" + QByteArray::number(azimuth));
            statuses += received(s.status, 100, 10).size();
        }
        QCOMPARE_GE(statuses, 4);
        QCOMPARE_LE(statuses, 5);
        QCOMPARE(received(s.status, 1, 2600).size(), 1); // the last change
        QCOMPARE(received(s.status, 1, 2600).size(), 1); // nothing changed
        s.platform.serial.close();
        s.platform.serial.feed("AZ=300");
        s.send("<PST>AZ?</PST>");
        QCOMPARE(received(s.status, 1, 2600) + received(s.answers, 1, 100), QList<QByteArray>());
    }

    // A refused datagram is logged and nothing else; the largest size is read, one byte more is
    // refused; the next good datagram works.
    void badDatagrams_data() {
        const QByteArray pst = "<PST><AZIMUTH>1</AZIMUTH></PST>";
        const QByteArray longest = pst + QByteArray(MaxRotorDatagram - pst.size(), ' ');
        // clang-format off
        table<QByteArray, QString>({"datagram", "logged"}, {
            {"one byte too long", longest + ' ', "refused a datagram from 127.0.0.1: "},
            {"N1MM, one byte too long", n1mmTurn("X", "1", MaxRotorDatagram + 1), "refused a datagram"},
            {"locator, no station", "<PST><QRA>JO01</QRA></PST>", "no turn to JO01: the map records no station"},
        });
        // clang-format on
    }
    void badDatagrams() {
        QFETCH(QByteArray, datagram);
        Listened s;
        QVERIFY(s.paired);
        LogRecorder log;
        s.send(datagram);
        QVERIFY(waitFor([&] { return log.lines.size() == 1; }));
        QVERIFY2(log.lines[0].contains(FETCHED(QString, logged)), qPrintable(log.lines[0]));
        const QByteArray pst = "<PST><AZIMUTH>1</AZIMUTH></PST>";
        s.send(datagram.startsWith("<N1MM") ? n1mmTurn("X", "1", MaxRotorDatagram)
                                            : pst + QByteArray(MaxRotorDatagram - pst.size(), ' '));
        QVERIFY(waitFor([&] { return !s.platform.serial.written.isEmpty(); }));
        QCOMPARE(s.platform.serial.written, "M001\r\n");
    }

    // A flood of 10,000 turns a second: the event loop stays free, and the controller gets the
    // newest bearing, not a queue of thousands.
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
                s.send(n1mmTurn("X", QString::number(sent % 360)));
        s.send(n1mmTurn("X", "123"));
        QVERIFY(waitFor([&] { return s.platform.serial.written.endsWith("M123\r\n"); }));
        const qint64 elapsed = clock.elapsed();
        QCOMPARE_LE(s.platform.serial.written.count('\n'),
                    elapsed / RemoteRequests::MinTurnIntervalMs + 2);
        QCOMPARE_GE(ticks, elapsed / 10 / 2);
    }
};

QTEST_MAIN(UdpTest)
#include "test_udp.moc"
