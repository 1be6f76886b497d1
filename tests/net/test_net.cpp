// Network control: the protocol, and the program serving it on a real socket.
#include "Stations.h"

#include "LogRecorder.h"
#include "net/Listening.h"
#include "net/N1mmListener.h"
#include "net/PstListener.h"
#include "net/RotatorServer.h"

#include <QTcpSocket>
#include <QUdpSocket>

using namespace roteka;
using namespace roteka::test;

namespace {

// A client on the server's loopback port: asks, waits for the reply.
struct Client {
    explicit Client(quint16 port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        waitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; });
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
    // A line's commands. Kinds: 0 get_pos, 1 set_pos, 2 stop, 7 quit, 8 unavailable, 9 invalid.
    void lines_data() {
        // clang-format off
        table<QByteArray, QString>({"line", "commands"}, {
            {"three, blanks", "pP  123.45   10.00 S", "0 get_pos / 1 set_pos 123.45,10.00 / 2 stop"},
            {"long name; no blank", "\\set_pos 1 2 P10 2", "1 set_pos 1,2 / 1 set_pos 10,2"},
            {"one argument short", "P 10", "9 set_pos 10"},
            {"quit ends the line", "Q p", "7 quit"},
            {"extended", "+p", "0\n get_pos"},
            {"plus, separator", "+;p", "0; get_pos"},
            {"unavailable ends", "R 1 p", "8 reset 1"},
            {"send_cmd takes the rest", "w AZ? x", "8 send_cmd AZ? x"},
            {"unknown name", "\\bogus p", "9 bogus"},
            {"comment", "p # P 1 2", "0 get_pos"},
            {"mark alone", "+", "9\n "},
        });
        // clang-format on
    }
    void lines() { QCOMPARE(parsed(FETCHED(QByteArray, line)), FETCHED(QString, commands)); }

    // set_pos's position (empty: refused); move's direction (-1 counter-clockwise, 1 clockwise,
    // 0 one ROTEKA cannot turn, none refused).
    void arguments_data() {
        const std::optional<int> none;
        // clang-format off
        table<QString, QString, QString, std::optional<int>>({"position", "read", "direction", "way"}, {
            {"commas; 8", "123,45 10,5", "123.45 10.5", "8 50", -1},
            {"lowest; CCW, speed -1", "-180 -5", "-180 -5", "CCW -1", -1},
            {"highest; fastest", "450 90", "450 90", "16 100", 1},
            {"below lowest; cw", "-180.01 0", "", "cw 5", 1},
            {"above highest; up", "450.01 0", "", "2 50", 0},
            {"nan; unknown", "nan 0", "", "32 50", none},
            {"overflow; speed 0", "1e999 0", "", "8 0", none},
            {"trailing letters; speed 101", "12x 0", "", "8 101", none},
        });
        // clang-format on
    }
    void arguments() {
        const auto p = netPosition(FETCHED(QString, position).split(' '));
        QCOMPARE(p ? QStringLiteral("%1 %2").arg(p->first).arg(p->second) : "",
                 FETCHED(QString, read));
        QCOMPARE(netDirection(FETCHED(QString, direction).split(' ')),
                 FETCHED(std::optional<int>, way));
    }

    // Two clients, offset 10: commands reach the controller, bad input is refused with nothing
    // sent, a closed port answers the I/O error.
    void served() {
        Served w;
        w.control.setOffsetField("10");
        Client a(w.server->port()), b(w.server->port());
        QCOMPARE(a.ask("P 100 0\n"), "RPRT 0\n");
        w.platform.serial.feed("AZ=110\r\n");
        QCOMPARE(b.ask("+\\get_pos\n", 4), "get_pos:\nAzimuth: 100.00\nElevation: 0.00\nRPRT 0\n");
        QCOMPARE(b.ask("M 8 50\nS\nM CW -1\nq\np\n", 3), "RPRT 0\nRPRT 0\nRPRT 0\n");
        QVERIFY(waitFor([&] { return b.socket.state() == QAbstractSocket::UnconnectedState; }));
        QCOMPARE(a.ask(QByteArray(3000, 'P') + "\np\n", 3), "RPRT -1\n100.00\n0.00\n");
        QCOMPARE(a.ask(QByteArray("\x01\xff\0p\nP nan 0\n", 13), 2), "RPRT -1\nRPRT -1\n");
        a.socket.write("P 12");
        QCOMPARE(a.ask("0 0\r\n"), "RPRT 0\n");
        w.control.setOffsetField("1000");
        QCOMPARE(a.ask("P 100 0\n"), "RPRT -1\n"); // 1100 is no go-to command
        w.control.setOffsetField("40000");
        QCOMPARE(a.ask("P 50 0\n"), "RPRT -1\n"); // no target at all
        QCOMPARE(w.platform.serial.written, "M110\r\nL\r\nA\r\nR\r\nM130\r\n");
        QCOMPARE(commandedAngleText(w.control.commandedAngle()), "1100");
        w.control.setOffsetField("0");
        w.platform.serial.close();
        QCOMPARE(a.ask("P 100 0\nS\nM 16 50\np\n_\n", 5),
                 "RPRT -6\nRPRT -6\nRPRT -6\nRPRT -6\nROTEKA " ROTEKA_VERSION "\n");
        QCOMPARE(a.ask("|P 90 45\n+p\n", 3), "set_pos: 90 45|RPRT -6\nget_pos:\nRPRT -6\n");
        QCOMPARE(state(w), "port = False|接続|110|90|設定角度 ＝|");
    }

    // A line of MaxLine bytes is served, one more is refused; MaxClients clients are served, one
    // more is turned away, those that hung up count no more; a client that never reads is dropped.
    void limits() {
        Served w;
        const quint16 port = w.server->port();
        Client c(port), deaf(port);
        const QByteArray longest = "p" + QByteArray(RotatorServer::MaxLine - 2, ' ') + "\n";
        QCOMPARE(c.ask(longest, 2), "0.00\n0.00\n");
        QCOMPARE(c.ask("p" + QByteArray(RotatorServer::MaxLine - 1, ' ') + "\n"), "RPRT -1\n");
        deaf.socket.setReadBufferSize(1024);
        const auto gone = [](const QTcpSocket& s) {
            return s.state() == QAbstractSocket::UnconnectedState;
        };
        for (int i = 0; i < 40 && !gone(deaf.socket); ++i) {
            deaf.socket.write(QByteArray("p\n").repeated(100000));
            QCOMPARE(c.ask("p\n", 2), "0.00\n0.00\n");
        }
        QVERIFY(waitFor([&] { return gone(deaf.socket); }));
        for (int round = 0; round < 2; ++round) {
            QVERIFY(waitFor([&] { return w.server->connectedClients() == 1; }));
            std::vector<std::unique_ptr<Client>> crowd;
            for (int i = 1; i < RotatorServer::MaxClients; ++i)
                crowd.push_back(std::make_unique<Client>(port));
            QCOMPARE(crowd.back()->ask("_\n"), "ROTEKA " ROTEKA_VERSION "\n");
            QTcpSocket oneMore;
            oneMore.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(waitFor([&] { return gone(oneMore); }));
        }
        QCOMPARE(c.ask("p\n", 2), "0.00\n0.00\n");
    }

    // A server or a listener that cannot listen says where and why; a UDP port shared by another
    // program is no obstacle.
    void listenFailure() {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost));
        QUdpSocket held, shared;
        QVERIFY(held.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
        QVERIFY(shared.bind(QHostAddress::LocalHost, 0,
                            QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint));
        FakeStation w;
        PstListener pst(w.requests);
        N1mmListener n1mm(w.requests, std::nullopt);
        const quint16 port = taken.serverPort();
        LogRecorder log;
        QVERIFY(!listenFor(w.requests, "127.0.0.1", port, w.platform.messages));
        QVERIFY(!listenFor(w.requests, "192.0.2.1", port, w.platform.messages));
        QVERIFY(!listenFor(w.requests, "no-such-host.invalid", port, w.platform.messages));
        QVERIFY(!bindOrReport(pst, "127.0.0.1", held.localPort(), w.platform.messages));
        QVERIFY(bindOrReport(n1mm, "127.0.0.1", shared.localPort(), w.platform.messages));
        const auto said = [&](auto address, auto reason, quint16 at) {
            return QStringLiteral("ネットワークからの制御を開始できませんでした。\r\n\r\n"
                                  "アドレス：%1　ポート：%2\r\n理由：%3\r\n\r\n"
                                  "ネットワークからの制御なしで動作を続けます。")
                .arg(address, QString::number(at), reason);
        };
        const QString inUse =
            "ほかのプログラムが使用中です。（The bound address is already in use）";
        QCOMPARE(w.platform.messages.shown,
                 QStringList({said("127.0.0.1", inUse, port),
                              said("192.0.2.1",
                                   "このパソコンのアドレスではありません。"
                                   "（The address is not available）",
                                   port),
                              said("no-such-host.invalid", "ホスト名が見つかりません。", port),
                              said("127.0.0.1", inUse, held.localPort())}));
        QCOMPARE(log.containing("roteka.net: cannot listen on 127.0.0.1 port").size(), 2);
    }
};

QTEST_MAIN(NetTest)
#include "test_net.moc"
