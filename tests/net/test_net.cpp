// Network control: the protocol, and the program serving it on a real socket.
#include "Stations.h"

#include "LogRecorder.h"
#include "net/RotatorServer.h"

#include <QTcpSocket>

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

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
    std::unique_ptr<RotatorServer> server = listenFor(requests, "127.0.0.1", 0, platform.messages);
};

// Each command of the line: kind, separator, name, arguments.
QString parsed(const QByteArray& line) {
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
    // A line's commands, each as kind, separator, name and arguments. Kinds: 0 get_pos, 1 set_pos,
    // 2 stop, 3 park, 4 move, 5 get_info, 6 dump_state, 7 quit, 8 unavailable, 9 invalid.
    void lines_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("commands");
        QTest::newRow("get_pos") << "p"_ba
                                 << "0 get_pos";
        QTest::newRow("set_pos, blanks") << "P  123.45   10.00 "_ba
                                         << "1 set_pos 123.45,10.00";
        QTest::newRow("long name") << "\\set_pos 1 2"_ba
                                   << "1 set_pos 1,2";
        QTest::newRow("no blank after letter") << "P10 2"_ba
                                               << "1 set_pos 10,2";
        QTest::newRow("one argument short") << "P 10"_ba
                                            << "9 set_pos 10";
        QTest::newRow("park") << "K"_ba
                              << "3 park";
        QTest::newRow("get_info") << "_"_ba
                                  << "5 get_info";
        QTest::newRow("dump_state") << "\\dump_state"_ba
                                    << "6 dump_state";
        QTest::newRow("quit ends the line") << "Q p"_ba
                                            << "7 quit";
        QTest::newRow("extended") << "+p"_ba
                                  << "0\n get_pos";
        QTest::newRow("separator ;") << ";p"_ba
                                     << "0; get_pos";
        QTest::newRow("separator |") << "|P 1 2"_ba
                                     << "1| set_pos 1,2";
        QTest::newRow("plus, separator") << "+;p"_ba
                                         << "0; get_pos";
        QTest::newRow("three") << "pP 1 2 S"_ba
                               << "0 get_pos / 1 set_pos 1,2 / 2 stop";
        QTest::newRow("unavailable ends") << "R 1 p"_ba
                                          << "8 reset 1";
        QTest::newRow("send_cmd takes the rest") << "w AZ? x"_ba
                                                 << "8 send_cmd AZ? x";
        QTest::newRow("pause") << "\\pause 5"_ba
                               << "8 pause 5";
        QTest::newRow("unknown letter") << "Z 1 p"_ba
                                        << "9 Z";
        QTest::newRow("unknown name") << "\\bogus p"_ba
                                      << "9 bogus";
        QTest::newRow("comment") << "p # P 1 2"_ba
                                 << "0 get_pos";
        QTest::newRow("comment alone") << "#"_ba
                                       << "";
        QTest::newRow("empty") << ""_ba
                               << "";
        QTest::newRow("mark alone") << "+"_ba
                                    << "9\n ";
        QTest::newRow("not ASCII") << "\xe9"_ba
                                   << "9 ?";
    }
    void lines() { QCOMPARE(parsed(FETCHED(QByteArray, line)), FETCHED(QString, commands)); }

    // set_pos's azimuth and elevation (empty: refused).
    void positions_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("position");
        QTest::newRow("commas for points") << "123,45 10,5"
                                           << "123.45 10.5";
        QTest::newRow("lowest") << "-180 -5"
                                << "-180 -5";
        QTest::newRow("highest") << "450 90"
                                 << "450 90";
        QTest::newRow("below lowest") << "-180.01 0"
                                      << "";
        QTest::newRow("above highest") << "450.01 0"
                                       << "";
        QTest::newRow("nan") << "nan 0"
                             << "";
        QTest::newRow("infinite elevation") << "1 -inf"
                                            << "";
        QTest::newRow("overflow") << "1e999 0"
                                  << "";
        QTest::newRow("trailing letters") << "12x 0"
                                          << "";
        QTest::newRow("two commas") << "1,2,3 0"
                                    << "";
        QTest::newRow("blank") << " "
                               << "";
    }
    void positions() {
        const auto p = netPosition(FETCHED(QString, arguments).split(' '));
        QCOMPARE(p ? QStringLiteral("%1 %2").arg(p->first).arg(p->second) : "",
                 FETCHED(QString, position));
    }

    // move's direction: -1 counter-clockwise, 1 clockwise, 0 one ROTEKA cannot turn; none refused.
    void directions_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<std::optional<int>>("direction");
        const std::optional<int> ccw = -1, cw = 1, cannot = 0, none;
        QTest::newRow("8") << "8 50" << ccw;
        QTest::newRow("CCW, speed -1") << "CCW -1" << ccw;
        QTest::newRow("left") << "left 1" << ccw;
        QTest::newRow("16, fastest") << "16 100" << cw;
        QTest::newRow("RIGHT") << "RIGHT 50" << cw;
        QTest::newRow("cw") << "cw 5" << cw;
        QTest::newRow("up") << "2 50" << cannot;
        QTest::newRow("DOWN") << "DOWN 50" << cannot;
        QTest::newRow("unknown") << "32 50" << none;
        QTest::newRow("speed 0") << "8 0" << none;
        QTest::newRow("speed 101") << "8 101" << none;
        QTest::newRow("speed in words") << "8 fast" << none;
    }
    void directions() {
        QCOMPARE(netDirection(FETCHED(QString, arguments).split(' ')),
                 FETCHED(std::optional<int>, direction));
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
        QCOMPARE(w.platform.serial.written, "M120\r\n");
        QCOMPARE(commandedAngleText(w.control.commandedAngle()), "1100");
        w.control.setOffsetField("0");
        w.platform.serial.close();
        QCOMPARE(c.ask("P 100 0\nS\nM 16 50\np\n_\n", 5),
                 "RPRT -6\nRPRT -6\nRPRT -6\nRPRT -6\nROTEKA " ROTEKA_VERSION "\n");
        QCOMPARE(c.ask("|P 90 45\n+p\n", 3), "set_pos: 90 45|RPRT -6\nget_pos:\nRPRT -6\n");
        QCOMPARE(state(w), "port = False|接続|000|90|初期化中|");
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

    // The limits at their edges: a line of MaxLine bytes with its line end is served, one byte
    // more is refused; MaxClients clients are served at once, one more is turned away.
    void limits() {
        Served w;
        Client c(w.server->port());
        const QByteArray longest = "p" + QByteArray(RotatorServer::MaxLine - 2, ' ') + "\n";
        QCOMPARE(c.ask(longest, 2), "0.00\n0.00\n");
        QCOMPARE(c.ask("p" + QByteArray(RotatorServer::MaxLine - 1, ' ') + "\n"), "RPRT -1\n");
        std::vector<std::unique_ptr<Client>> crowd;
        for (int i = 1; i < RotatorServer::MaxClients; ++i)
            crowd.push_back(std::make_unique<Client>(w.server->port()));
        QCOMPARE(crowd.back()->ask("_\n"), "ROTEKA " ROTEKA_VERSION "\n");
        QTcpSocket oneMore;
        oneMore.connectToHost(QHostAddress::LocalHost, w.server->port());
        QVERIFY(waitFor([&] { return oneMore.state() == QAbstractSocket::UnconnectedState; }));
        QCOMPARE(c.ask("p\n", 2), "0.00\n0.00\n");
    }

    // A server that cannot listen says where and why, and the control runs on without it.
    void listenFailure() {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost));
        FakeStation w;
        const quint16 port = taken.serverPort();
        LogRecorder log;
        QVERIFY(!listenFor(w.requests, "127.0.0.1", port, w.platform.messages));
        QVERIFY(!listenFor(w.requests, "192.0.2.1", port, w.platform.messages));
        QVERIFY(!listenFor(w.requests, "no-such-host.invalid", port, w.platform.messages));
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
                                                "（The address is not available）"),
                              said("no-such-host.invalid", "ホスト名が見つかりません。")}));
        QCOMPARE(log.lines.size(), 3);
        QCOMPARE(log.containing("roteka.net: cannot listen on 127.0.0.1 port").size(), 1);
        w.control.turnLeft();
        QCOMPARE(w.platform.serial.written, "L\r\n");
    }
};

QTEST_MAIN(NetTest)
#include "test_net.moc"
