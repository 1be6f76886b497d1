// The UDP rotor packets: both readers and both answers.
#include "rules/RotorPackets.h"

#include <QtTest>

using namespace roteka;
using namespace Qt::StringLiterals;

namespace roteka {

char* toString(N1mmCommand::Kind kind) {
    return qstrdup(QList<const char*>{"Turn", "Stop", "Invalid"}.value(kind, "?"));
}

bool operator==(const PstCommand& a, const PstCommand& b) {
    return a.kind == b.kind && a.bearing == b.bearing && a.locator == b.locator;
}

// The commands as a list, "Azimuth 85, Locator \"JO01\", Stop".
char* toString(const QList<PstCommand>& commands) {
    QStringList shown;
    for (const PstCommand& c : commands) {
        const QString kind =
            QList<const char*>{"Azimuth", "Stop", "AskAzimuth", "Locator", "Ignored"}.value(c.kind,
                                                                                            "?");
        shown.append(c.kind == PstCommand::Azimuth   ? kind + ' ' + QString::number(c.bearing)
                     : c.kind == PstCommand::Locator ? kind + " \"" + c.locator + '"'
                                                     : kind);
    }
    return qstrdup(shown.join(", ").toUtf8());
}

} // namespace roteka

namespace {

using Commands = QList<PstCommand>;
PstCommand azimuth(double bearing) {
    return {PstCommand::Azimuth, bearing, {}};
}
PstCommand locator(const QString& text) {
    return {PstCommand::Locator, 0, text};
}
const PstCommand Stop{PstCommand::Stop, 0, {}};
const PstCommand Ask{PstCommand::AskAzimuth, 0, {}};
const PstCommand Ignored{PstCommand::Ignored, 0, {}};

QByteArray inN1mm(const QByteArray& inside) {
    return "<N1MMRotor>" + inside + "</N1MMRotor>";
}
// A turn of the named rotor.
QByteArray named(const QByteArray& rotor) {
    return inN1mm("<rotor>" + rotor + "</rotor><goazi>1</goazi>");
}
QByteArray goazi(const QByteArray& degrees) {
    return inN1mm("<goazi>" + degrees + "</goazi>");
}
QByteArray inPst(const QByteArray& inside) {
    return "<PST>" + inside + "</PST>";
}
QByteArray az(const QByteArray& degrees) {
    return inPst("<AZIMUTH>" + degrees + "</AZIMUTH>");
}
QString noBearing(const QString& element, const QString& text) {
    return QStringLiteral("<%1> holds no bearing in degrees: \"%2\"").arg(element, text);
}
// The packet with blanks before it, so many that it is that many bytes long.
QByteArray sized(const QByteArray& packet, qsizetype size) {
    return QByteArray(size - packet.size(), ' ') + packet;
}

const QByteArray Turn = inN1mm("<rotor>ROTEKA</rotor><goazi>55.0</goazi><offset>0.0</offset>"
                               "<bidirectional>0</bidirectional><freqband>14</freqband>");
const QString NotUtf8 = "datagram is not UTF-8 text";
const QString TooLong = "datagram of 8193 bytes, longer than 8192";
// Bearings refused, each with the text the problem quotes.
// clang-format off
const QList<std::pair<QByteArray, QString>> NoBearings{
    {"", ""}, {" \t", ""}, {"nan", "nan"}, {"inf", "inf"}, {"1e400", "1e400"}, {"1e2", "1e2"}, {"-5", "-5"},
    {"-0", "-0"}, {"+5", "+5"}, {"north", "north"}, {"55 deg", "55 deg"}, {"5.5.5", "5.5.5"}, {".", "."},
    {"0x10", "0x10"}, {"\xEF\xBC\x95", "５"}, {"5\x01", "5?"}, {"5\xE2\x80\xA8" "5\n5", "5?5?5"},
    {QByteArray(400, '9'), QByteArray(24, '9') + "..."}};
// clang-format on

} // namespace

class RotorPacketsTest : public QObject {
    Q_OBJECT
private slots:
    void n1mm_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<N1mmCommand::Kind>("kind");
        QTest::addColumn<QString>("rotor");
        QTest::addColumn<double>("bearing");
        const auto turn = N1mmCommand::Turn, stop = N1mmCommand::Stop;
        // clang-format off
        QTest::newRow("turn") << Turn << turn << "ROTEKA" << 55.0;
        QTest::newRow("spaced") << "\r\n" + inN1mm("\n\t<freqband>14</freqband> <goazi> 55 </goazi>\n") + "\n" << turn << "" << 55.0;
        QTest::newRow("xml, attributes") << "<?xml version=\"1.0\"?>" + inN1mm("<goazi a=\"1\" >5</goazi >") << turn << "" << 5.0;
        QTest::newRow("tags over lines") << inN1mm("<goazi\n>5</goazi\n>") << turn << "" << 5.0;
        QTest::newRow("a \"<\" that opens no tag") << inN1mm("<goazi<goazi>5</goazi>") << turn << "" << 5.0;
        QTest::newRow("any case") << "<n1mmrotor><ROTOR>A</ROTOR><GoAzi>7</GoAzi></N1MMROTOR>"_ba << turn << "A" << 7.0;
        QTest::newRow("rotor spaced") << named("\n Tower 2\t") << turn << "Tower 2" << 1.0;
        QTest::newRow("rotor escaped") << named("A &amp; B&lt;2&gt;") << turn << "A & B<2>" << 1.0;
        QTest::newRow("rotor in UTF-8") << named("\xE6\x9D\xB1") << turn << "東" << 1.0;
        QTest::newRow("rotor empty element") << inN1mm("<rotor/><goazi>1</goazi>") << turn << "" << 1.0;
        QTest::newRow("0") << goazi("0") << turn << "" << 0.0;
        QTest::newRow("359.99") << goazi("359.99") << turn << "" << 359.99;
        QTest::newRow("360 is 0") << goazi("360") << turn << "" << 0.0;
        QTest::newRow("long path 400") << goazi("400") << turn << "" << 40.0;
        QTest::newRow("720.5") << goazi("720.5") << turn << "" << 0.5;
        QTest::newRow("comma point") << goazi("55,5") << turn << "" << 55.5;
        QTest::newRow("no fraction") << goazi("55.") << turn << "" << 55.0;
        QTest::newRow("no whole part") << goazi(".5") << turn << "" << 0.5;
        QTest::newRow("leading zeros") << goazi("0090") << turn << "" << 90.0;
        QTest::newRow("stop holding rotor") << inN1mm("<stop><rotor>ROTEKA</rotor><freqband>21</freqband></stop>") << stop << "ROTEKA" << 0.0;
        QTest::newRow("stop beside rotor") << inN1mm("<rotor>ROTEKA</rotor><stop>1</stop>") << stop << "ROTEKA" << 0.0;
        QTest::newRow("stop empty element") << inN1mm("<stop/>") << stop << "" << 0.0;
        QTest::newRow("stop wins over goazi") << inN1mm("<goazi>5</goazi><stop>1</stop>") << stop << "" << 0.0;
        QTest::newRow("exactly the longest") << sized(Turn, MaxRotorDatagram) << turn << "ROTEKA" << 55.0;
        // clang-format on
    }
    void n1mm() {
        QFETCH(QByteArray, datagram);
        const N1mmCommand command = readN1mmPacket(datagram);
        QCOMPARE(command.problem, "");
        QTEST(command.kind, "kind");
        QTEST(command.rotor, "rotor");
        QTEST(command.bearing, "bearing");
    }

    void n1mmRefused_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("problem");
        // clang-format off
        QTest::newRow("one byte too long") << sized(Turn, MaxRotorDatagram + 1) << TooLong;
        QTest::newRow("not UTF-8") << named("\xFF") << NotUtf8;
        QTest::newRow("UTF-8 cut short") << goazi("1") + "\xE6\x9D" << NotUtf8;
        QTest::newRow("UTF-8 overlong") << goazi("1") + "\xC0\xAF" << NotUtf8;
        QTest::newRow("UTF-8 surrogate") << goazi("1") + "\xED\xA0\x80" << NotUtf8;
        QTest::newRow("empty datagram") << ""_ba << "no <N1MMRotor> element";
        QTest::newRow("no outer element") << "<rotor>R</rotor><goazi>5</goazi>"_ba << "no <N1MMRotor> element";
        QTest::newRow("outer unclosed") << "<N1MMRotor><goazi>5</goazi>"_ba << "<N1MMRotor> is not closed";
        QTest::newRow("outer twice") << goazi("5") + goazi("6") << "<N1MMRotor> comes twice";
        QTest::newRow("outer nested") << inN1mm(goazi("5")) << "<N1MMRotor> inside <N1MMRotor>";
        QTest::newRow("outer closed unopened") << "</N1MMRotor>" + goazi("5") << "</N1MMRotor> closes no <N1MMRotor>";
        QTest::newRow("goazi missing") << inN1mm("<rotor>R</rotor><offset>5</offset>") << "no <goazi> element";
        QTest::newRow("goazi outside") << "<goazi>5</goazi>" + inN1mm("") << "no <goazi> element";
        QTest::newRow("goazi unclosed") << inN1mm("<goazi>5") << "<goazi> is not closed";
        QTest::newRow("goazi twice") << inN1mm("<goazi>5</goazi><goazi>6</goazi>") << "<goazi> comes twice";
        QTest::newRow("goazi nested") << goazi("<goazi>5</goazi>") << "<goazi> inside <goazi>";
        QTest::newRow("goazi opened with a blank") << inN1mm("< goazi>5</goazi>") << "</goazi> closes no <goazi>";
        QTest::newRow("goazi closed twice") << goazi("5</goazi>") << "</goazi> closes no <goazi>";
        QTest::newRow("rotor twice") << named("A</rotor><rotor>B") << "<rotor> comes twice";
        QTest::newRow("rotor unclosed") << inN1mm("<rotor>A<goazi>5</goazi>") << "<rotor> is not closed";
        QTest::newRow("stop unclosed") << inN1mm("<stop><rotor>A</rotor>") << "<stop> is not closed";
        QTest::newRow("stop twice") << inN1mm("<stop>1</stop><stop>1</stop>") << "<stop> comes twice";
        // clang-format on
        for (const auto& [degrees, quoted] : NoBearings)
            QTest::addRow("bearing \"%s\"", degrees.left(8).toPercentEncoding(" ").constData())
                << goazi(degrees) << noBearing("goazi", quoted);
    }
    void n1mmRefused() {
        QFETCH(QByteArray, datagram);
        const N1mmCommand command = readN1mmPacket(datagram);
        QTEST(command.problem, "problem");
        QCOMPARE(command.kind, N1mmCommand::Invalid);
        QCOMPARE(command.rotor, "");
        QCOMPARE(command.bearing, 0.0);
    }

    void n1mmStatus_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("bearing");
        QTest::addColumn<QByteArray>("status");
        // clang-format off
        QTest::newRow("146") << "ROTEKA" << 146.0 << "ROTEKA @ 1460"_ba;
        QTest::newRow("0") << "ROTEKA" << 0.0 << "ROTEKA @ 0"_ba;
        QTest::newRow("tenths rounded down") << "A" << 12.34 << "A @ 123"_ba;
        QTest::newRow("tenths rounded up") << "A" << 12.36 << "A @ 124"_ba;
        QTest::newRow("359.94") << "A" << 359.94 << "A @ 3599"_ba;
        QTest::newRow("359.96 rounds to 0") << "A" << 359.96 << "A @ 0"_ba;
        QTest::newRow("360 is 0") << "A" << 360.0 << "A @ 0"_ba;
        QTest::newRow("420 of a 450 range") << "A" << 420.0 << "A @ 600"_ba;
        QTest::newRow("negative") << "A" << -10.0 << "A @ 3500"_ba;
        QTest::newRow("just under 0") << "A" << -1e-20 << "A @ 0"_ba;
        QTest::newRow("nan") << "A" << qQNaN() << "A @ 0"_ba;
        QTest::newRow("infinite") << "A" << qInf() << "A @ 0"_ba;
        QTest::newRow("name in UTF-8") << "東" << 1.0 << "\xE6\x9D\xB1 @ 10"_ba;
        // clang-format on
    }
    void n1mmStatus() {
        QFETCH(QString, name);
        QFETCH(double, bearing);
        QTEST(roteka::n1mmStatus(name, bearing), "status");
    }

    void pst_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<Commands>("commands");
        // clang-format off
        QTest::newRow("azimuth") << az("85") << Commands{azimuth(85)};
        QTest::newRow("azimuth with fraction") << az(" 85.5 ") << Commands{azimuth(85.5)};
        QTest::newRow("azimuth 360 is 0") << az("360") << Commands{azimuth(0)};
        QTest::newRow("azimuth 400") << az("400") << Commands{azimuth(40)};
        QTest::newRow("stop") << inPst("<STOP>1</STOP>") << Commands{Stop};
        QTest::newRow("stop holding anything") << inPst("<STOP>0</STOP><STOP/>") << Commands{Stop, Stop};
        QTest::newRow("ask azimuth") << inPst("AZ?") << Commands{Ask};
        QTest::newRow("ask in lower case, spaced") << inPst("\r\n az? ") << Commands{Ask};
        QTest::newRow("locator") << inPst("<QRA> JO01 </QRA>") << Commands{locator("JO01")};
        QTest::newRow("locator not checked") << inPst("<QRA>x&y</QRA>") << Commands{locator("x&y")};
        QTest::newRow("park") << inPst("<PARK>1</PARK>") << Commands{Ignored};
        QTest::newRow("elevation") << inPst("<ELEVATION>30</ELEVATION>") << Commands{Ignored};
        QTest::newRow("other text") << inPst("EL?") << Commands{Ignored};
        QTest::newRow("element holding elements") << inPst("<PARK><A>1</A></PARK>") << Commands{Ignored};
        QTest::newRow("several in a block") << inPst("<STOP>1</STOP><AZIMUTH>85</AZIMUTH><QRA>J</QRA>") << Commands{Stop, azimuth(85), locator("J")};
        QTest::newRow("several blocks") << inPst("<QRA>J</QRA>") + "\n" + inPst("AZ?") << Commands{locator("J"), Ask};
        QTest::newRow("text between") << inPst("<AZIMUTH>10</AZIMUTH>AZ?<PARK>1</PARK>") << Commands{azimuth(10), Ask, Ignored};
        QTest::newRow("tags in any case") << "<pst><Azimuth>85</Azimuth></Pst>"_ba << Commands{azimuth(85)};
        QTest::newRow("text outside blocks") << "<?xml version=\"1.0\"?>hi " + inPst("AZ?") + " <x/>" << Commands{Ask};
        QTest::newRow("empty blocks") << inPst("") + "<PST/>" << Commands{};
        QTest::newRow("exactly the longest") << sized(az("85"), MaxRotorDatagram) << Commands{azimuth(85)};
        // clang-format on
    }
    void pst() {
        QFETCH(QByteArray, datagram);
        const PstPacket packet = readPstPacket(datagram);
        QCOMPARE(packet.problem, "");
        QTEST(packet.commands, "commands");
    }

    void pstMalformed_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("problem");
        // clang-format off
        QTest::newRow("one byte too long") << sized(az("85"), MaxRotorDatagram + 1) << TooLong;
        QTest::newRow("not UTF-8") << az("85") + "\x80" << NotUtf8;
        QTest::newRow("UTF-8 cut short") << az("85") + "\xE6" << NotUtf8;
        QTest::newRow("empty datagram") << ""_ba << "no <PST> element";
        QTest::newRow("no block") << "AZ?<AZIMUTH>85</AZIMUTH>"_ba << "no <PST> element";
        QTest::newRow("block unclosed") << "<PST><AZIMUTH>85</AZIMUTH>"_ba << "<PST> is not closed";
        QTest::newRow("later block unclosed") << inPst("AZ?") + "<PST><STOP>1</STOP>" << "<PST> is not closed";
        QTest::newRow("block nested") << inPst(inPst("AZ?")) << "<PST> inside <PST>";
        QTest::newRow("block closed unopened") << "AZ?</PST>" + inPst("AZ?") << "</PST> closes no <PST>";
        QTest::newRow("element unclosed") << inPst("<AZIMUTH>85") << "<AZIMUTH> is not closed";
        QTest::newRow("element nested") << inPst("<STOP><STOP>1</STOP></STOP>") << "<STOP> inside <STOP>";
        QTest::newRow("element closed unopened") << inPst("85</AZIMUTH>") << "</AZIMUTH> closes no <AZIMUTH>";
        QTest::newRow("bad after good commands") << inPst("<STOP>1</STOP>") + az("x") << noBearing("AZIMUTH", "x");
        // clang-format on
        for (const auto& [degrees, quoted] : NoBearings)
            QTest::addRow("bearing \"%s\"", degrees.left(8).toPercentEncoding(" ").constData())
                << az(degrees) << noBearing("AZIMUTH", quoted);
    }
    void pstMalformed() {
        QFETCH(QByteArray, datagram);
        const PstPacket packet = readPstPacket(datagram);
        QTEST(packet.problem, "problem");
        QCOMPARE(packet.commands, Commands{});
    }

    void pstAzimuthAnswer_data() {
        QTest::addColumn<double>("bearing");
        QTest::addColumn<QByteArray>("answer");
        // clang-format off
        QTest::newRow("0") << 0.0 << "AZ:000\r"_ba;
        QTest::newRow("5") << 5.0 << "AZ:005\r"_ba;
        QTest::newRow("85.4") << 85.4 << "AZ:085\r"_ba;
        QTest::newRow("85.5") << 85.5 << "AZ:086\r"_ba;
        QTest::newRow("359.4") << 359.4 << "AZ:359\r"_ba;
        QTest::newRow("359.6 rounds to 0") << 359.6 << "AZ:000\r"_ba;
        QTest::newRow("360 is 0") << 360.0 << "AZ:000\r"_ba;
        QTest::newRow("450 of a 450 range") << 450.0 << "AZ:090\r"_ba;
        QTest::newRow("negative") << -1.0 << "AZ:359\r"_ba;
        QTest::newRow("nan") << qQNaN() << "AZ:000\r"_ba;
        QTest::newRow("infinite") << -qInf() << "AZ:000\r"_ba;
        // clang-format on
    }
    void pstAzimuthAnswer() {
        QFETCH(double, bearing);
        QTEST(roteka::pstAzimuthAnswer(bearing), "answer");
    }
};

QTEST_GUILESS_MAIN(RotorPacketsTest)
#include "test_rotor_packets.moc"
