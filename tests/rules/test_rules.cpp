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
    // A typed number: its leading number (0: none), 16-bit whole (none), aim pointer wanted.
    void numbers_data() {
        const auto n = None;
        // clang-format off
        table<QString, double, std::optional<int>, bool>({"text", "leading", "whole", "aim"}, {
            {"empty", "", 0, n, false},
            {"letters first", "COM3", 0, n, true},
            {"blanks around", " 7 ", 7, 7, true},
            {"blank inside", "1 5", 15, n, true},
            {"tab before", "\t12", 12, 12, true},
            {"blank after sign", " - 5", -5, n, true},
            {"half to even", "2.5", 2.5, 2, true},
            {"full-width digits", "１５", 0, n, true},
            {"smallest, half", "-32768.5", -32768.5, -32768, true},
            {"largest, half", "32767.5", 32767.5, n, true},
            {"below smallest", "-32769", -32769, n, true},
            {"minus zero", "-0", 0, 0, false},
            {"zero in blanks", "  0.0 ", 0, 0, false},
            {"zero, letter", "0x", 0, n, true},
            {"a blank", " ", 0, n, true},
        });
        // clang-format on
    }
    void numbers() {
        QFETCH(QString, text);
        QCOMPARE(leadingNumber(text), FETCHED(double, leading));
        const auto whole = toInt16(text);
        QCOMPARE(whole ? std::optional<int>(*whole) : None, FETCHED(std::optional<int>, whole));
        QCOMPARE(aimPointerWanted(text), FETCHED(bool, aim));
        QCOMPARE(roundHalfEven(-1.5), -2.0);
    }

    // Go-to lines by the angle's length; 15-degree steps wrap once, none counting as 0.
    void commandAngles_data() {
        // clang-format off
        table<std::optional<int>, QString, int, int>({"angle", "line", "right", "left"}, {
            {"none", None, "", 15, 345},
            {"5", 5, "M005", 20, 350},
            {"15", 15, "M015", 30, 360},
            {"345", 345, "M345", 0, 330},
            {"-5", -5, "M0-5", 10, 340},
            {"-100", -100, "", -85, 245},
        });
        // clang-format on
    }
    void commandAngles() {
        const auto angle = FETCHED(std::optional<int>, angle);
        QCOMPARE(angle ? goToLine(*angle).value_or("") : "", FETCHED(QString, line));
        QCOMPARE(stepRight(angle), FETCHED(int, right));
        QCOMPARE(stepLeft(angle), FETCHED(int, left));
    }

    // A map click's target: rounded, 360 added once below 0; none past 16 bits.
    void mapTargets_data() {
        // clang-format off
        table<double, double, std::optional<int>>({"bearing", "offset", "target"}, {
            {"359.5 rounds up", 359.5, 0, 360},
            {"half offset, even", 10, 2.5, 12},
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

    // The azimuth and commanded angle as shown; the free turns' ends.
    void shownAngles() {
        QCOMPARE(azimuthText(None) + azimuthText(0) + azimuthText(359), "0000359");
        QCOMPARE(commandedAngleText({}) + '|' + commandedAngleText(CommandedAngle{0, true}) + '|' +
                     commandedAngleText(CommandedAngle{-30}),
                 "|000|-30");
        QCOMPARE(goToLine(TurnLeftEnd).value() + goToLine(TurnRightEnd).value(), "M184M176");
    }

    // Replies in a stream fed a character at a time (end:azimuth), then the buffer left.
    void scanner_data() {
        // clang-format off
        table<QString, QString>({"stream", "taken"}, {
            {"reply, line end", "AZ=123\r\n", "5:123 /"},
            {"360 is 0", "AZ=360", "5:0 /"},
            {"lower case", "az=123", "/"},
            {"one digit waits", "AZ=0", "/AZ=0"},
            {"blank digit", "AZ= 12", "/Z= 12"},
            {"after A CR LF", "A\r\nAZ=045", "8:45 /"},
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
    }

    // Vector angles in degrees (-1: none, both components infinite).
    void angles_data() {
        const double r3 = std::sqrt(3.0), nan = qQNaN(), inf = qInf();
        // clang-format off
        table<double, double, double>({"x", "y", "degrees"}, {
            {"zero", 0, 0, 0},
            {"third", -1, -1, 225},
            {"60", 1, r3, 60},
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
        QCOMPARE(radians ? std::round(*radians * 180 / pi() * 1e9) / 1e9 : -1,
                 FETCHED(double, degrees));
    }

    // A settings line's fields, none without "," then ":"; a device-list entry's port number.
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
