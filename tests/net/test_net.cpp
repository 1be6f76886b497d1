// Network control: the protocol's lines and replies, the program serving them to clients on a
// real socket while the controller simulator turns on a real pseudo-terminal, the window's
// handlers behind each command, and what bad input and bad clients get.
#include "Stations.h"

#include "net/RotatorServer.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace roteka;
using namespace roteka::test;

namespace {

// A client of a server on the loopback port (connected as soon as the server listens): writes a
// line and runs the event loop until the reply's lines are in.
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

// The window on the fake port with a server for it on a free port of the loopback.
struct Served : FakeStation {
    Served() : server(listenFor(form, {QStringLiteral("127.0.0.1"), 0}, platform.messages)) {}
    std::unique_ptr<RotatorServer> server;
};

QString parsed(const QString& line) {
    QStringList out;
    for (const NetCommand& c : parseNetLine(line))
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
        for (const auto& [line, commands] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"p", "0 get_pos"}, {"P 123 0", "1 set_pos 123,0"}, {"P 123.45 10.00", "1 set_pos 123.45,10.00"},
                 {"P  123.45   10.00 ", "1 set_pos 123.45,10.00"}, {"\\set_pos 1 2", "1 set_pos 1,2"}, {"P10 2", "1 set_pos 10,2"},
                 {"P 10", "9 set_pos 10"}, {"S", "2 stop"}, {"\\stop", "2 stop"}, {"K", "3 park"}, {"M 8 50", "4 move 8,50"},
                 {"_", "5 get_info"}, {"\\dump_state", "6 dump_state"}, {"q", "7 quit"}, {"Q p", "7 quit"},
                 {"+p", "0\n get_pos"}, {"+\\get_pos", "0\n get_pos"}, {";p", "0; get_pos"}, {"|P 1 2", "1| set_pos 1,2"},
                 {"+;p", "0; get_pos"}, {"p p", "0 get_pos / 0 get_pos"}, {"pP 1 2 S", "0 get_pos / 1 set_pos 1,2 / 2 stop"},
                 {"R 1 p", "8 reset 1"}, {"w AZ? x", "8 send_cmd AZ? x"}, {"\\pause 5", "8 pause 5"}, {"Z 1 p", "9 Z"},
                 {"\\bogus p", "9 bogus"}, {"p # P 1 2", "0 get_pos"}, {"#", ""}, {"", ""}, {"+", "9\n "}, {"\xe9", "9 ?"}}) {
            QVERIFY2(parsed(QString::fromLatin1(line)) == commands, qPrintable(QString::fromLatin1(line) + " -> " + parsed(QString::fromLatin1(line))));
        }
        for (const auto& [arguments, position] : std::initializer_list<std::pair<QStringList, const char*>>{
                 {{"123", "0"}, "123 0"}, {{"123,45", "10,5"}, "123.45 10.5"}, {{"-180", "-5"}, "-180 -5"}, {{"450", "90"}, "450 90"},
                 {{"-180.01", "0"}, ""}, {{"450.01", "0"}, ""}, {{"nan", "0"}, ""}, {{"inf", "0"}, ""}, {{"1", "-inf"}, ""},
                 {{"1e999", "0"}, ""}, {{"12x", "0"}, ""}, {{"1,2,3", "0"}, ""}, {{"", ""}, ""}}) {
            const auto p = netPosition(arguments);
            QVERIFY2((p ? QStringLiteral("%1 %2").arg(p->first).arg(p->second) : "") == position, qPrintable(arguments.join(' ')));
        }
        for (const auto& [arguments, direction] : std::initializer_list<std::pair<QStringList, int>>{
                 {{"8", "50"}, -1}, {{"CCW", "-1"}, -1}, {{"left", "1"}, -1}, {{"16", "100"}, 1}, {{"RIGHT", "50"}, 1}, {{"cw", "5"}, 1},
                 {{"2", "50"}, 0}, {{"DOWN", "50"}, 0}, {{"32", "50"}, 9}, {{"8", "0"}, 9}, {{"8", "101"}, 9}, {{"8", "fast"}, 9}}) {
            QVERIFY2(netDirection(arguments).value_or(9) == direction, qPrintable(arguments.join(' ')));
        }
        // clang-format on
    }

    // The program started with --listen, its port bound to the simulator and an offset of 10: a
    // client's bearing reaches the controller as a go-to command, polling reads the position back
    // less the offset once the antenna is there, and a second client turns and stops it.
    void turnThroughTheNetwork() {
        TestDirectory dir;
        Simulator sim(dir, 8,
                      {"--speed", "150", "--moving-interval", "20", "--idle-interval", "50"});
        QVERIFY(sim.bound);
        dir.writeFile("ROTEKA.DAT", "8,9600,N,8,1:10\r\n");
        QTcpServer probe; // a free port
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
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

    // Lines over 1 KiB, any bytes, numbers that are none, half lines: an error reply, nothing
    // sent, and the next line served. A bearing the map rule gives no target for is refused and
    // changes nothing. With the port closed each command that needs it does what its control
    // does and answers the I/O error.
    void badInputAndClosedPort() {
        Served w;
        Client c(w.server->port());
        QCOMPARE(c.ask(QByteArray(3000, 'P') + "\np\n", 3), "RPRT -1\n0.00\n0.00\n");
        QCOMPARE(c.ask(QByteArray("\x01\xff\0p\n", 5)), "RPRT -1\n");
        QCOMPARE(c.ask("P nan 0\nP inf 0\nP 1e999 0\nP 451 0\nP 10 x\n", 5),
                 QByteArray("RPRT -1\n").repeated(5));
        c.socket.write("P 12");
        QCOMPARE(c.ask("0 0\r\n"), "RPRT 0\n");
        QCOMPARE(w.platform.serial.written, "M120\r\n");
        w.form.Text5->setText("1000");
        QCOMPARE(c.ask("P 100 0\n"), "RPRT -1\n"); // 1100 is no go-to command, and not sent
        w.form.Text5->setText("40000");
        QCOMPARE(c.ask("P 50 0\n"), "RPRT -1\n"); // no target at all
        QCOMPARE(w.platform.serial.written + w.form.Label5->text(), "M120\r\n1100");
        w.form.Text5->setText("0");
        w.platform.serial.setPortOpen(false);
        QCOMPARE(c.ask("P 100 0\nS\nM 16 50\np\n_\n", 5),
                 "RPRT -6\nRPRT -6\nRPRT -6\nRPRT -6\nROTEKA " ROTEKA_VERSION "\n");
        QCOMPARE(c.ask("|P 90 45\n+p\n", 3), "set_pos: 90 45|RPRT -6\nget_pos:\nRPRT -6\n");
        QCOMPARE(state(w.form), "port = False|接続|000|90|初期化中|");
    }

    // A client that never reads its replies is dropped once they pile up; hundreds of clients
    // come and go, no more than 64 are served at once, and the others are served throughout.
    void badClients() {
        Served w;
        const quint16 port = w.server->port();
        Client steady(port);
        QTcpSocket deaf;
        deaf.setReadBufferSize(1024);
        deaf.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(deaf.waitForConnected(3000));
        const QByteArray polls = QByteArray("p\n").repeated(100000);
        for (int i = 0; i < 40 && deaf.state() == QAbstractSocket::ConnectedState; ++i) {
            deaf.write(polls);
            QCOMPARE(steady.ask("p\n", 2), "0.00\n0.00\n");
        }
        QVERIFY(waitFor([&] { return deaf.state() == QAbstractSocket::UnconnectedState; }));
        for (int round = 0; round < 5; ++round) {
            std::vector<std::unique_ptr<QTcpSocket>> crowd;
            for (int i = 0; i < 70; ++i) {
                crowd.push_back(std::make_unique<QTcpSocket>());
                crowd.back()->connectToHost(QHostAddress::LocalHost, port);
            }
            QVERIFY(waitFor([&] {
                return std::count_if(crowd.begin(), crowd.end(), [](auto& s) {
                           return s->state() == QAbstractSocket::UnconnectedState;
                       }) == 7;
            }));
            crowd.clear();
            QCOMPARE(steady.ask("p\n", 2), "0.00\n0.00\n");
        }
    }

    // A server that cannot listen says where and why, and the window runs on without it.
    void listenFailure() {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost));
        FakeStation w;
        QVERIFY(!listenFor(w.form, {"127.0.0.1", taken.serverPort()}, w.platform.messages));
        QVERIFY(!listenFor(w.form, {"192.0.2.1", 4533}, w.platform.messages));
        const auto said = [](const char* address, int port, const char* reason) {
            return QStringLiteral(
                       "ネットワークからの制御を開始できませんでした。\r\n\r\nアドレス：%1　"
                       "ポート：%2\r\n理由：%3\r\n\r\nネットワークからの制御なしで動作を続けます。")
                .arg(address, QString::number(port), QString::fromUtf8(reason));
        };
        QCOMPARE(
            w.platform.messages.shown,
            QStringList(
                {said("127.0.0.1", taken.serverPort(),
                      "ほかのプログラムが使用中です。（The bound address is already in use）"),
                 said("192.0.2.1", 4533,
                      "このパソコンのアドレスではありません。（The address is not available）")}));
        w.form.Command1->click();
        QCOMPARE(w.platform.serial.written, "L\r\n");
    }

    // --help, --version; a bad command line exits with 2 and a message, before any window.
    void commandLine() {
        // clang-format off
        for (const auto& [arguments, status, output] : std::initializer_list<std::tuple<QStringList, int, const char*>>{
                 {{"--help"}, 0, "--listen <[HOST:]PORT>"}, {{"--version"}, 0, "roteka " ROTEKA_VERSION "\n"},
                 {{"--bogus"}, 2, "roteka: Unknown option 'bogus'."}, {{"--listen"}, 2, "Missing value after '--listen'."},
                 {{"--listen", "0"}, 2, "--listen needs [HOST:]PORT with a port from 1 to 65535, not '0'"}, {{"map.png"}, 2, "unexpected argument 'map.png'"}}) {
            QProcess roteka;
            roteka.start(ROTEKA_PATH, arguments);
            QVERIFY(roteka.waitForFinished(5000) && roteka.exitCode() == status);
            QVERIFY2((status ? roteka.readAllStandardError() : roteka.readAllStandardOutput()).contains(output), output);
        }
        for (const auto& [text, address] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"4533", "127.0.0.1 4533"}, {"0.0.0.0:1", "0.0.0.0 1"}, {"[::1]:65535", "::1 65535"}, {"localhost:80", "localhost 80"},
                 {"65536", ""}, {"+1", ""}, {"[]:1", ""}, {"[::1:4533", ""}, {"::1:4533", ""}, {"host:", ""}, {":4533", ""}, {"4533x", ""}}) {
            const auto a = parseListenAddress(text);
            QCOMPARE(a ? a->host + ' ' + QString::number(a->port) : "", address);
        }
        // clang-format on
    }
};

QTEST_MAIN(NetTest)
#include "test_net.moc"
