// The UDP rotor packets: both readers and both answers.
#include "rules/RotorPackets.h"

#include "Tables.h"

#include <QRegularExpression>

using namespace roteka;
using roteka::test::table;

namespace {

// A reading in one line: "Turn 55 ROTEKA", "Stop 0", or the problem alone.
QString n1mm(const QByteArray& datagram) {
    const N1mmCommand c = readN1mmPacket(datagram);
    QString shown =
        QStringList{"Turn", "Stop", "Invalid"}[c.kind] + ' ' + QString::number(c.bearing);
    if (!c.rotor.isEmpty())
        shown += ' ' + c.rotor;
    return c.problem.isEmpty()    ? shown
           : shown == "Invalid 0" ? c.problem
                                  : shown + ": " + c.problem;
}

// The problem, then the commands: "Stop, Azimuth 85, Locator JO01, Ask, Ignored".
QString pst(const QByteArray& datagram) {
    const PstPacket packet = readPstPacket(datagram);
    QStringList shown;
    for (const PstCommand& c : packet.commands)
        shown << (QStringList{"Azimuth", "Stop", "Ask", "Locator", "Ignored"}[c.kind] + ' ' +
                  (c.kind == PstCommand::Azimuth ? QString::number(c.bearing) : c.locator))
                     .trimmed();
    return (packet.problem + ' ' + shown.join(", ")).trimmed();
}

QByteArray inN1mm(const QByteArray& inside) {
    return "<N1MMRotor>" + inside + "</N1MMRotor>";
}
QByteArray goazi(const QByteArray& degrees) {
    return inN1mm("<goazi>" + degrees + "</goazi>");
}
QByteArray inPst(const QByteArray& inside) {
    return "<PST>" + inside + "</PST>";
}
// The packet with blanks before it, that many bytes long.
QByteArray sized(const QByteArray& packet, qsizetype size) {
    return QByteArray(size - packet.size(), ' ') + packet;
}

// The bearing read from the degrees, or "refused" and the text as quoted.
QString bearing(const QByteArray& degrees) {
    static const QRegularExpression refused("^<goazi> holds no bearing in degrees: \"(.*)\"$");
    return n1mm(goazi(degrees)).replace(refused, "refused \\1").remove("Turn ");
}

const QByteArray Turn = inN1mm("<rotor>ROTEKA</rotor><goazi>55.0</goazi><offset>0.0</offset>"
                               "<bidirectional>0</bidirectional><freqband>14</freqband>");

} // namespace

// One row a line.
// clang-format off
class RotorPacketsTest : public QObject {
    Q_OBJECT
private slots:
    void n1mm_data() {
        table<QByteArray, QString>({"datagram", "reading"}, {
            {"turn", Turn, "Turn 55 ROTEKA"},
            {"spaced, attributes", "<?xml?>" + inN1mm("\n<x>1</x> <goazi\na=\"1\">5</goazi >"), "Turn 5"},
            {"stray <", inN1mm("<goazi<goazi>5</goazi>"), "Turn 5"},
            {"any case", "<n1mmrotor><ROTOR>A</ROTOR><GoAzi>7</GoAzi></N1MMROTOR>", "Turn 7 A"},
            {"rotor spaced", inN1mm("<rotor>\n A &amp; B&lt;2&gt;\t</rotor><goazi>1</goazi>"), "Turn 1 A & B<2>"},
            {"rotor empty", inN1mm("<rotor/><goazi>1</goazi>"), "Turn 1"},
            {"stop holding", inN1mm("<stop><rotor>R</rotor><band>21</band></stop>"), "Stop 0 R"},
            {"stop beside", inN1mm("<rotor>R</rotor><stop>1</stop>"), "Stop 0 R"},
            {"stop wins", inN1mm("<goazi>5</goazi><stop/>"), "Stop 0"},
            {"longest", sized(Turn, MaxRotorDatagram), "Turn 55 ROTEKA"},
            {"too long", sized(Turn, MaxRotorDatagram + 1), "datagram of 8193 bytes, longer than 8192"},
            {"not UTF-8", goazi("1\xFF"), "datagram is not UTF-8 text"},
            {"UTF-8 cut short", goazi("1") + "\xE6\x9D", "datagram is not UTF-8 text"},
            {"empty", "", "no <N1MMRotor> element"},
            {"outer unclosed", "<N1MMRotor>", "<N1MMRotor> is not closed"},
            {"outer twice", goazi("5") + goazi("6"), "<N1MMRotor> comes twice"},
            {"goazi outside", "<goazi>5</goazi>" + inN1mm(""), "no <goazi> element"},
            {"goazi twice", inN1mm("<goazi/><goazi/>"), "<goazi> comes twice"},
            {"goazi nested", goazi("<goazi>5</goazi>"), "<goazi> inside <goazi>"},
            {"goazi stray", goazi("5</goazi>"), "</goazi> closes no <goazi>"},
            {"rotor twice", inN1mm("<rotor/><rotor/>"), "<rotor> comes twice"},
            {"stop unclosed", inN1mm("<stop><rotor>A</rotor>"), "<stop> is not closed"},
        });
    }
    void n1mm() { QCOMPARE(::n1mm(FETCHED(QByteArray, datagram)), FETCHED(QString, reading)); }

    void bearings_data() {
        table<QByteArray, QString>({"degrees", "bearing"}, {
            {"359.99", "359.99", "359.99"},
            {"360 is 0", "360", "0"},
            {"long path", "720.5", "0.5"},
            {"comma", " 55,5 ", "55.5"},
            {"no whole part", ".5", "0.5"},
            {"empty", "", "refused "},
            {"nan", "nan", "refused nan"},
            {"inf", "inf", "refused inf"},
            {"1e400", "1e400", "refused 1e400"},
            {"negative", "-5", "refused -5"},
            {"text", "55 deg", "refused 55 deg"},
            {"line breaks", "5\xE2\x80\xA8" "5\n5", "refused 5?5?5"},
            {"too large", QByteArray(400, '9'), "refused " + QString(24, u'9') + "..."},
        });
    }
    void bearings() { QCOMPARE(bearing(FETCHED(QByteArray, degrees)), FETCHED(QString, bearing)); }

    void pst_data() {
        const QByteArray several =
            inPst("<STOP>1</STOP>AZ?<AZIMUTH>85</AZIMUTH><QRA> x&y </QRA>\n az? ");
        table<QByteArray, QString>({"datagram", "commands"}, {
            {"several", several, "Stop, Ask, Azimuth 85, Locator x&y, Ask"},
            {"stops", inPst("<STOP>0</STOP><STOP/>"), "Stop, Stop"},
            {"others ignored", inPst("<PARK><A>1</A></PARK>EL?"), "Ignored, Ignored"},
            {"several blocks", inPst("<QRA>J</QRA>") + "\n" + inPst("AZ?"), "Locator J, Ask"},
            {"any case", "<pst><Azimuth>85</Azimuth></Pst>", "Azimuth 85"},
            {"text outside", "<?xml version=\"1.0\"?>hi " + inPst("AZ?") + " <x/>", "Ask"},
            {"empty blocks", inPst("") + "<PST/>", ""},
            {"empty", "", "no <PST> element"},
            {"block unclosed", inPst("AZ?") + "<PST><STOP>1</STOP>", "<PST> is not closed"},
            {"block nested", inPst(inPst("AZ?")), "<PST> inside <PST>"},
            {"element unclosed", inPst("<AZIMUTH>85"), "<AZIMUTH> is not closed"},
            {"element nested", inPst("<STOP><STOP>1</STOP></STOP>"), "<STOP> inside <STOP>"},
            {"element stray", inPst("85</AZIMUTH>"), "</AZIMUTH> closes no <AZIMUTH>"},
            {"bad after good", inPst("<STOP/><AZIMUTH>x</AZIMUTH>"), "<AZIMUTH> holds no bearing in degrees: \"x\""},
        });
    }
    void pst() { QCOMPARE(::pst(FETCHED(QByteArray, datagram)), FETCHED(QString, commands)); }

    void answers_data() {
        table<double, int, QByteArray>({"bearing", "tenths", "degrees"},
                                       {
                                           {"146", 146, 1460, "146"},
                                           {"tenths rounded", 12.36, 124, "012"},
                                           {"half up", 85.5, 855, "086"},
                                           {"full circle", 359.96, 0, "000"},
                                           {"past a turn", 420, 600, "060"},
                                           {"negative", -1, 3590, "359"},
                                           {"nan", qQNaN(), 0, "000"},
                                           {"-inf", -qInf(), 0, "000"},
                                       });
    }
    void answers() {
        QFETCH(double, bearing);
        QCOMPARE(n1mmStatus("東", bearing),
                 "\xE6\x9D\xB1 @ " + QByteArray::number(FETCHED(int, tenths)));
        QCOMPARE(pstAzimuthAnswer(bearing), "AZ:" + FETCHED(QByteArray, degrees) + '\r');
    }
};
// clang-format on

QTEST_GUILESS_MAIN(RotorPacketsTest)
#include "test_rotor_packets.moc"
