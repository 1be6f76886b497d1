// The pure rules, a table each.
#include "Tables.h"

#include "rules/Bearing.h"
#include "rules/CommandRules.h"
#include "rules/Numbers.h"
#include "rules/PointerGeometry.h"
#include "rules/ReplyScanner.h"
#include "rules/SettingsLine.h"
#include "rules/TraceLine.h"

#include <cmath>
#include <numbers>

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

namespace {

const std::optional<int> None;

} // namespace

class RulesTest : public QObject {
    Q_OBJECT
private slots:
    // A text's leading number (0 when there is none) and its 16-bit whole number (none).
    void numbers_data() {
        const auto n = None;
        // clang-format off
        table<QString, double, std::optional<int>>({"text", "leading", "whole"}, {
            {"empty", "", 0, n},
            {"letters first", "COM3", 0, n},
            {"digit, letter", "5x", 5, n},
            {"blanks around", " 7 ", 7, 7},
            {"blank inside", "1 5", 15, n},
            {"tab before", "\t12", 12, 12},
            {"blank after sign", " - 5", -5, n},
            {"half to even down", "2.5", 2.5, 2},
            {"half to even up", "3.5", 3.5, 4},
            {"two points", "1.2.3", 1.2, n},
            {"point first", ".5", 0.5, 0},
            {"two signs", "+-3", 0, n},
            {"full-width digits", "１５", 0, n},
            {"smallest, half", "-32768.5", -32768.5, -32768},
            {"largest, half", "32767.5", 32767.5, n},
            {"below smallest", "-32769", -32769, n},
        });
        // clang-format on
    }
    void numbers() {
        QFETCH(QString, text);
        QCOMPARE(leadingNumber(text), FETCHED(double, leading));
        const auto whole = toInt16(text);
        QCOMPARE(whole ? std::optional<int>(*whole) : None, FETCHED(std::optional<int>, whole));
        QCOMPARE(roundHalfEven(-1.5), -2.0);
    }

    // The go-to line by the angle's text length, and the steps of 15 degrees wrapping once; none
    // counts as 0 for a step.
    void commandAngles_data() {
        // clang-format off
        table<std::optional<int>, QString, int, int>({"angle", "line", "right", "left"}, {
            {"none", None, "", 15, 345},
            {"0", 0, "M000", 15, 345},
            {"5", 5, "M005", 20, 350},
            {"15", 15, "M015", 30, 360},
            {"345", 345, "M345", 0, 330},
            {"360", 360, "M360", 15, 345},
            {"-5", -5, "M0-5", 10, 340},
            {"-30", -30, "M-30", -15, 315},
            {"-100", -100, "", -85, 245},
            {"800", 800, "M800", 455, 785},
            {"1000", 1000, "", 655, 985},
        });
        // clang-format on
    }
    void commandAngles() {
        const auto angle = FETCHED(std::optional<int>, angle);
        QCOMPARE(angle ? goToLine(*angle).value_or("") : "", FETCHED(QString, line));
        QCOMPARE(stepRight(angle), FETCHED(int, right));
        QCOMPARE(stepLeft(angle), FETCHED(int, left));
    }

    // The target of a map click: bearing and offset rounded, 360 added once when negative; none
    // beyond 16 bits.
    void mapTargets_data() {
        // clang-format off
        table<double, double, std::optional<int>>({"bearing", "offset", "target"}, {
            {"359.5 rounds up", 359.5, 0, 360},
            {"half offset, even", 10, 2.5, 12},
            {"half offset, odd", 11, 2.5, 14},
            {"halves to 0", 0.5, 0.5, 0},
            {"past 360 stays", 350, 20, 370},
            {"wraps once", 5, -10, 355},
            {"far below 0", 0, -390, -30},
            {"smallest", 0, -32768, -32408},
            {"past largest", 1, 32767, None},
            {"nan", qQNaN(), 0, None},
        });
        // clang-format on
    }
    void mapTargets() {
        QCOMPARE(mapTarget(FETCHED(double, bearing), FETCHED(double, offset)),
                 FETCHED(std::optional<int>, target));
    }

    // What the operator sees of the azimuth and the commanded angle; the free turns' ends.
    void shownAngles() {
        QCOMPARE(azimuthText(None) + azimuthText(0) + azimuthText(359), "0000359");
        QCOMPARE(commandedAngleText(std::nullopt), "");
        QCOMPARE(commandedAngleText(CommandedAngle{0, true}), "000");
        QCOMPARE(commandedAngleText(CommandedAngle{-30}), "-30");
        QCOMPARE(goToLine(TurnLeftEnd).value() + goToLine(TurnRightEnd).value(), "M184M176");
    }

    // "AZ=" and three digits found in a stream fed a character at a time: where each reply ends
    // and its azimuth, then what stays in the buffer.
    void scanner_data() {
        // clang-format off
        table<QString, QString>({"stream", "taken"}, {
            {"reply, line end", "AZ=123\r\n", "5:123 /"},
            {"360 is 0", "AZ=360", "5:0 /"},
            {"720 is 360", "AZ=720", "5:360 /"},
            {"four digits", "AZ=1234", "5:123 /"},
            {"lower case", "az=123", "/"},
            {"colon", "AZ:123", "/Z:123"},
            {"one digit waits", "AZ=0", "/AZ=0"},
            {"blank digit", "AZ= 12", "/Z= 12"},
            {"after A CR LF", "A\r\nAZ=045", "8:45 /"},
            {"double A", "AAZ=090", "6:90 /"},
            {"broken, then whole", "AZ=0AZ=123", "9:123 /"},
            {"full-width digits", "AZ=０４５", "/Z=０４５"},
            {"slash and colon", "AZ=/:0", "/Z=/:0"},
        });
        // clang-format on
    }
    void scanner() {
        QString buffer, taken;
        const QString stream = FETCHED(QString, stream);
        for (qsizetype i = 0; i < stream.size(); ++i) {
            buffer += stream[i];
            if (const auto azimuth = scanStep(buffer))
                taken += QString("%1:%2 ").arg(i).arg(*azimuth);
        }
        QCOMPARE(taken + '/' + buffer, FETCHED(QString, taken));
        QVERIFY(isAllDigits("") && isAllDigits("1234567890") && !isAllDigits("-1"));
    }

    // Vector angles in degrees (-1: none, both components infinite).
    void angles_data() {
        const double r3 = std::sqrt(3.0), nan = qQNaN(), inf = qInf();
        // clang-format off
        table<double, double, double>({"x", "y", "degrees"}, {
            {"zero", 0, 0, 0},
            {"+y", 0, 5, 90},
            {"-x", -5, 0, 180},
            {"-y", 0, -5, 270},
            {"second", -1, 1, 135},
            {"third", -1, -1, 225},
            {"60", 1, r3, 60},
            {"330", r3, -1, 330},
            {"tiny over huge", 1e-300, 1e300, 90},
            {"just below +x", 1, -1e-300, 0},
            {"nan", nan, 1, 0},
            {"both infinite", inf, -inf, -1},
        });
        // clang-format on
    }
    void angles() {
        QCOMPARE(pi(), std::numbers::pi);
        const auto radians = vectorAngle(FETCHED(double, x), FETCHED(double, y));
        const double degrees = radians ? *radians * 180 / pi() : -1;
        QVERIFY2(std::fabs(degrees - FETCHED(double, degrees)) < 1e-10,
                 qPrintable(QString::number(degrees)));
    }

    // The aim pointer is drawn for an offset text that does not read as zero.
    void aimPointer() {
        for (const char* none : {"", "0", "+0", "-0", "0.0", "  0 ", ".0"})
            QVERIFY2(!aimPointerWanted(QString(none)), none);
        for (const char* wanted : {"10", "0.5", "abc", "0x", " ", "0 0"})
            QVERIFY2(aimPointerWanted(QString(wanted)), wanted);
    }

    // The settings line's fields (port, line settings, offset, "older" for the older form); none
    // without "," or without ":" after it. A device-list entry's port number.
    void settingsLine_data() {
        // clang-format off
        table<QString, QStringList>({"line", "fields"}, {
            {"colon in offset", "3,96,00:a:b", {"3", "96,00", "a:b", ""}},
            {"older, empty", "3;,:", {"3;", "", ",:", "older"}},
            {"older offset", "3,9600:x;7", {"3", "9600", "7", "older"}},
            {"no colon", "3,9600,N,8,1", {}},
            {"colon first", ":3,9", {}},
        });
        // clang-format on
    }
    void settingsLine() {
        QFETCH(QString, line);
        QStringList got;
        if (const auto f = splitSettingsLine(line))
            got = {f->portNumber, f->lineSettings, f->offset, f->legacy ? u"older"_s : QString()};
        QCOMPARE(got, FETCHED(QStringList, fields));
        QCOMPARE(portNumberOfListEntry("USB Serial Port (COM12)"), "12");
        QCOMPARE(portNumberOfListEntry("COMTEC USB (COM5)"), "TEC USB (COM5");
    }

    // A line of the controller line's trace.
    void traceLines_data() {
        const QByteArray at = "2026-12-07 21:04:05.007";
        // clang-format off
        table<bool, QByteArray, QByteArray>({"sent", "bytes", "line"}, {
            {"go-to", true, "M090\r\n", at + " TX M090\\r\\n\n"},
            {"report", false, "AZ=123\r\n", at + " RX AZ=123\\r\\n\n"},
            {"controls", true, "\t\\\0\x1f\x7f"_ba, at + " TX \\t\\\\\\x00\\x1F\\x7F\n"},
            {"UTF-8", true, "方", at + " TX \\xE6\\x96\\xB9\n"},
        });
        // clang-format on
    }
    void traceLines() {
        const QByteArray at = traceTimeStamp(QDateTime(QDate(2026, 12, 7), QTime(21, 4, 5, 7)));
        const auto direction = FETCHED(bool, sent) ? LineDirection::Sent : LineDirection::Received;
        QCOMPARE(traceLine(at, direction, FETCHED(QByteArray, bytes)), FETCHED(QByteArray, line));
    }
};

QTEST_MAIN(RulesTest)
#include "test_rules.moc"
