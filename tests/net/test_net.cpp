// Network control: the protocol, and the program serving it on a real socket.
#include "Stations.h"

#include "net/RotatorServer.h"

#include <QTcpSocket>

using namespace roteka;
using namespace roteka::test;

namespace {

// A client on the loopback port, connected once a server listens: asks, waits for the reply.
struct Client {
    explicit Client(quint16 port) {
        waitFor([&] {
            if (socket.state() == QAbstractSocket::UnconnectedState)
                socket.connectToHost(QHostAddress::LocalHost, port);
            return socket.state() == QAbstractSocket::ConnectedState;
        });
    }
    QByteArray ask(const QByteArray& line, int lines = 1) {
        socket.write(line);
        QByteArray reply;
        waitFor([&] { return (reply += socket.readAll()).count('\n') >= lines; }, 3000);
        return reply;
    }
    QTcpSocket socket;
};

// The control on the fake port, served on a free loopback port.
struct Served : FakeStation {
    std::unique_ptr<RotatorServer> server = listenFor(control, "127.0.0.1", 0, platform.messages);
};

// Each command of the line: kind, separator, name, arguments.
QString parsed(const char* line) {
    QStringList out;
    for (const NetCommand& c : parseNetLine(QString::fromLatin1(line)))
        out << QStringLiteral("%1%2 %3%4")
                   .arg(c.kind)
                   .arg(c.separator ? QString(QChar(*c.separator)) : "")
                   .arg(c.name, c.arguments.isEmpty() ? "" : " " + c.arguments.join(','));
    return out.join(" / ");
}

} // namespace

class NetTest : public QObject {
    Q_OBJECT
private slots:
    // Kinds: 0 get_pos, 1 set_pos, 2 stop, 3 park, 4 move, 5 get_info, 6 dump_state, 7 quit,
    // 8 unavailable, 9 invalid.
    void lines() {
        // clang-format off
        for (const auto& [line, commands] : QList<std::pair<const char*, QString>>{
                 {"p", "0 get_pos"},
                 {"P  123.45   10.00 ", "1 set_pos 123.45,10.00"},
                 {"\\set_pos 1 2", "1 set_pos 1,2"},
                 {"P10 2", "1 set_pos 10,2"},
                 {"P 10", "9 set_pos 10"},
                 {"K", "3 park"},
                 {"_", "5 get_info"},
                 {"\\dump_state", "6 dump_state"},
                 {"Q p", "7 quit"},
                 {"+p", "0\n get_pos"},
                 {";p", "0; get_pos"},
                 {"|P 1 2", "1| set_pos 1,2"},
                 {"+;p", "0; get_pos"},
                 {"pP 1 2 S", "0 get_pos / 1 set_pos 1,2 / 2 stop"},
                 {"R 1 p", "8 reset 1"},
                 {"w AZ? x", "8 send_cmd AZ? x"},
                 {"\\pause 5", "8 pause 5"},
                 {"Z 1 p", "9 Z"},
                 {"\\bogus p", "9 bogus"},
                 {"p # P 1 2", "0 get_pos"},
                 {"#", ""},
                 {"", ""},
                 {"+", "9\n "},
                 {"\xe9", "9 ?"},
             })
            QVERIFY2(parsed(line) == commands, line);
        // set_pos's arguments; move's (-1 left, 1 right, 0 unavailable, 9 invalid).
        for (const auto& [arguments, position] : QList<std::pair<QString, QString>>{
                 {"123,45 10,5", "123.45 10.5"},
                 {"-180 -5", "-180 -5"},
                 {"450 90", "450 90"},
                 {"-180.01 0", ""},
                 {"450.01 0", ""},
                 {"nan 0", ""},
                 {"1 -inf", ""},
                 {"1e999 0", ""},
                 {"12x 0", ""},
                 {"1,2,3 0", ""},
                 {" ", ""},
             }) {
            const auto p = netPosition(arguments.split(' '));
            QVERIFY2((p ? QStringLiteral("%1 %2").arg(p->first).arg(p->second) : "") == position,
                     qPrintable(arguments));
        }
        for (const auto& [arguments, direction] : QList<std::pair<QString, int>>{
                 {"8 50", -1},
                 {"CCW -1", -1},
                 {"left 1", -1},
                 {"16 100", 1},
                 {"RIGHT 50", 1},
                 {"cw 5", 1},
                 {"2 50", 0},
                 {"DOWN 50", 0},
                 {"32 50", 9},
                 {"8 0", 9},
                 {"8 101", 9},
                 {"8 fast", 9},
             })
            QVERIFY2(netDirection(arguments.split(' ')).value_or(9) == direction, qPrintable(arguments));
        // clang-format on
    }

    // The program with --listen on the simulator, offset 10: a client's bearing goes out as a
    // go-to, polls read it back less the offset; a second client turns, stops and quits.
    void turnThroughTheNetwork() {
        TestDirectory dir;
        Simulator sim(dir, 8,
                      {"--speed", "150", "--moving-interval", "20", "--idle-interval", "50"});
        QVERIFY(sim.bound);
        dir.writeFile("ROTEKA.DAT", "8,9600,N,8,1:10\r\n");
        QTcpServer free;
        QVERIFY(free.listen(QHostAddress::LocalHost));
        const quint16 port = free.serverPort();
        free.close();
        QProcess roteka;
        roteka.start(ROTEKA_PATH, {"--listen", QString::number(port)});
        Client a(port), b(port);
        QCOMPARE(a.ask("P 100 0\n"), "RPRT 0\n");
        QVERIFY(sim.received("M110"));
        QVERIFY(waitFor([&] { return a.ask("p\n", 2) == "100.00\n0.00\n"; }, 20000));
        QCOMPARE(b.ask("+\\get_pos\n", 4), "get_pos:\nAzimuth: 100.00\nElevation: 0.00\nRPRT 0\n");
        QCOMPARE(b.ask("M 8 50\n"), "RPRT 0\n");
        QVERIFY(sim.received("L"));
        QCOMPARE(a.ask("S\n"), "RPRT 0\n");
        QVERIFY(sim.received("A"));
        QCOMPARE(b.ask("M CW -1\nq\n"), "RPRT 0\n");
        QVERIFY(sim.received("R"));
        QVERIFY(waitFor([&] { return b.socket.state() == QAbstractSocket::UnconnectedState; }));
        QCOMPARE(a.ask("p\n", 2).count('\n'), 2);
        roteka.terminate();
        QVERIFY(roteka.waitForFinished(5000));
    }

    // Lines over 1 KiB, any bytes, bad numbers, half lines: an error reply, nothing sent, the
    // next line served. A bearing without a target changes nothing. With the port closed a
    // command does what the control does and answers the I/O error.
    void badInputAndClosedPort() {
        Served w;
        Client c(w.server->port());
        QCOMPARE(c.ask(QByteArray(3000, 'P') + "\np\n", 3), "RPRT -1\n0.00\n0.00\n");
        QCOMPARE(c.ask(QByteArray("\x01\xff\0p\n", 5)), "RPRT -1\n");
        QCOMPARE(c.ask("P nan 0\nP 10 x\n", 2), "RPRT -1\nRPRT -1\n");
        c.socket.write("P 12");
        QCOMPARE(c.ask("0 0\r\n"), "RPRT 0\n");
        QCOMPARE(w.platform.serial.written, "M120\r\n");
        w.control.setOffsetField("1000");
        QCOMPARE(c.ask("P 100 0\n"), "RPRT -1\n"); // 1100 is no go-to command, and not sent
        w.control.setOffsetField("40000");
        QCOMPARE(c.ask("P 50 0\n"), "RPRT -1\n"); // no target at all
        QCOMPARE(w.platform.serial.written + w.control.commandedAngle(), "M120\r\n1100");
        w.control.setOffsetField("0");
        w.platform.serial.close();
        QCOMPARE(c.ask("P 100 0\nS\nM 16 50\np\n_\n", 5),
                 "RPRT -6\nRPRT -6\nRPRT -6\nRPRT -6\nROTEKA " ROTEKA_VERSION "\n");
        QCOMPARE(c.ask("|P 90 45\n+p\n", 3), "set_pos: 90 45|RPRT -6\nget_pos:\nRPRT -6\n");
        QCOMPARE(state(w.control), "port = False|接続|000|90|初期化中|");
    }

    // A client that never reads is dropped once its replies pile up; of crowds no more than 64
    // are served at once; the others are served throughout.
    void badClients() {
        Served w;
        const quint16 port = w.server->port();
        Client steady(port), deaf(port);
        deaf.socket.setReadBufferSize(1024);
        const auto gone = [](QTcpSocket& s) {
            return s.state() == QAbstractSocket::UnconnectedState;
        };
        const QByteArray polls = QByteArray("p\n").repeated(100000);
        for (int i = 0; i < 40 && !gone(deaf.socket); ++i) {
            deaf.socket.write(polls);
            QCOMPARE(steady.ask("p\n", 2), "0.00\n0.00\n");
        }
        QVERIFY(waitFor([&] { return gone(deaf.socket); }));
        for (int round = 0; round < 5; ++round) {
            {
                std::array<QTcpSocket, 70> crowd;
                for (QTcpSocket& s : crowd)
                    s.connectToHost(QHostAddress::LocalHost, port);
                QVERIFY(
                    waitFor([&] { return std::count_if(crowd.begin(), crowd.end(), gone) == 7; }));
            }
            QCOMPARE(steady.ask("p\n", 2), "0.00\n0.00\n");
        }
    }

    // A server that cannot listen says where and why, and the control runs on without it.
    void listenFailure() {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost));
        FakeStation w;
        const quint16 port = taken.serverPort();
        QVERIFY(!listenFor(w.control, "127.0.0.1", port, w.platform.messages));
        QVERIFY(!listenFor(w.control, "192.0.2.1", port, w.platform.messages));
        const auto said = [&](auto address, auto reason) {
            return QStringLiteral("ネットワークからの制御を開始できませんでした。\r\n\r\n"
                                  "アドレス：%1　ポート：%2\r\n理由：%3\r\n\r\n"
                                  "ネットワークからの制御なしで動作を続けます。")
                .arg(address, QString::number(port), reason);
        };
        QCOMPARE(w.platform.messages.shown,
                 QStringList({said("127.0.0.1", "ほかのプログラムが使用中です。"
                                                "（The bound address is already in use）"),
                              said("192.0.2.1", "このパソコンのアドレスではありません。"
                                                "（The address is not available）")}));
        w.control.turnLeft();
        QCOMPARE(w.platform.serial.written, "L\r\n");
    }
};

QTEST_MAIN(NetTest)
#include "test_net.moc"
