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

// What a scan finds in the stream fed a character a step: "position:azimuth" of each reply taken,
// then "/" and what stays in the buffer.
QString scan(const QString& stream) {
    QString buffer, taken;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        buffer += stream[i];
        if (const auto azimuth = scanStep(buffer))
            taken += QString("%1:%2 ").arg(i).arg(*azimuth);
    }
    return taken + '/' + buffer;
}

const std::optional<int> None;

} // namespace

class RulesTest : public QObject {
    Q_OBJECT
private slots:
    // A text's leading number (0 when there is none) and its 16-bit whole number (none).
    void numbers_data() {
        const auto n = None;
        table<QString, double, std::optional<int>>({"text", "leading", "whole"}, {
            {"empty", "", 0, n},
            {"letters", "COM3", 0, n},
            {"digit, letter", "5x", 5, n},
            {"blanks around", " 7 ", 7, 7},
            {"blank inside", "1 5", 15, n},
            {"tab before", "\t12", 12, 12},
            {"blank after sign", " - 5", -5, n},
            {"plus", "+7", 7, 7},
            {"half to even down", "2.5", 2.5, 2},
            {"half to even up", "3.5", 3.5, 4},
            {"two points", "1.2.3", 1.2, n},
            {"point first", ".5", 0.5, 0},
            {"point last", "-7.", -7, -7},
            {"point alone", ".", 0, n},
            {"two signs", "+-3", 0, n},
            {"comma", "1,5", 1, n},
            {"full-width digits", "１５", 0, n},
            {"largest", "32767", 32767, 32767},
            {"smallest", "-32768", -32768, -32768},
            {"smallest, half", "-32768.5", -32768.5, -32768},
            {"largest, half", "32767.5", 32767.5, n},
            {"below smallest", "-32769", -32769, n},
        });
    }
    void numbers() {
        QFETCH(QString, text);
        QCOMPARE(leadingNumber(text), FETCHED(double, leading));
        const auto whole = toInt16(text);
        QCOMPARE(whole ? std::optional<int>(*whole) : None, FETCHED(std::optional<int>, whole));
    }

    // Rounding halves to the even neighbour.
    void rounding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("just under a half") << 2.4999 << 2.0;
        QTest::newRow("just over a half") << 2.5001 << 3.0;
        QTest::newRow("negative half") << -1.5 << -2.0;
        QTest::newRow("negative zero") << -0.0 << 0.0;
        QTest::newRow("whole") << 1234567.0 << 1234567.0;
    }
    void rounding() { QCOMPARE(roundHalfEven(FETCHED(double, value)), FETCHED(double, rounded)); }

    // The go-to line by the angle's text length, and the steps of 15 degrees wrapping once; none
    // counts as 0 for a step.
    void commandAngles_data() {
        QTest::addColumn<std::optional<int>>("angle");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("left");
        QTest::newRow("none") << None << "" << 15 << 345;
        QTest::newRow("0") << std::optional(0) << "M000" << 15 << 345;
        QTest::newRow("5") << std::optional(5) << "M005" << 20 << 350;
        QTest::newRow("15") << std::optional(15) << "M015" << 30 << 360;
        QTest::newRow("345") << std::optional(345) << "M345" << 0 << 330;
        QTest::newRow("360") << std::optional(360) << "M360" << 15 << 345;
        QTest::newRow("-5") << std::optional(-5) << "M0-5" << 10 << 340;
        QTest::newRow("-30") << std::optional(-30) << "M-30" << -15 << 315;
        QTest::newRow("-100") << std::optional(-100) << "" << -85 << 245;
        QTest::newRow("800") << std::optional(800) << "M800" << 455 << 785;
        QTest::newRow("1000") << std::optional(1000) << "" << 655 << 985;
        QTest::newRow("9990") << std::optional(9990) << "" << 9645 << 9975;
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
        QTest::addColumn<double>("bearing");
        QTest::addColumn<double>("offset");
        QTest::addColumn<std::optional<int>>("target");
        QTest::newRow("359.5 rounds up") << 359.5 << 0.0 << std::optional(360);
        QTest::newRow("negative offset") << 45.0 << -10.0 << std::optional(35);
        QTest::newRow("half offset, even") << 10.0 << 2.5 << std::optional(12);
        QTest::newRow("half offset, odd") << 11.0 << 2.5 << std::optional(14);
        QTest::newRow("both halves") << 1.5 << 1.5 << std::optional(4);
        QTest::newRow("halves to 0") << 0.5 << 0.5 << std::optional(0);
        QTest::newRow("past 360 stays") << 350.0 << 20.0 << std::optional(370);
        QTest::newRow("wraps once") << 5.0 << -10.0 << std::optional(355);
        QTest::newRow("minus half") << 0.0 << -0.5 << std::optional(0);
        QTest::newRow("far below 0") << 0.0 << -390.0 << std::optional(-30);
        QTest::newRow("largest") << 0.0 << 32767.0 << std::optional(32767);
        QTest::newRow("smallest") << 0.0 << -32768.0 << std::optional(-32408);
        QTest::newRow("past largest") << 1.0 << 32767.0 << None;
        QTest::newRow("past smallest") << 0.0 << -32769.0 << None;
        QTest::newRow("nan") << qQNaN() << 0.0 << None;
        QTest::newRow("infinite") << qInf() << 0.0 << None;
    }
    void mapTargets() {
        QCOMPARE(mapTarget(FETCHED(double, bearing), FETCHED(double, offset)),
                 FETCHED(std::optional<int>, target));
    }

    // What the operator sees of the azimuth and the commanded angle.
    void shownAngles() {
        QCOMPARE(azimuthText(None), "000");
        QCOMPARE(azimuthText(0), "0");
        QCOMPARE(azimuthText(359), "359");
        QCOMPARE(commandedAngleText(std::nullopt), "");
        QCOMPARE(commandedAngleText(CommandedAngle{0, true}), "000");
        QCOMPARE(commandedAngleText(CommandedAngle{0}), "0");
        QCOMPARE(commandedAngleText(CommandedAngle{-30}), "-30");
        QCOMPARE(goToLine(TurnLeftEnd), "M184");
        QCOMPARE(goToLine(TurnRightEnd), "M176");
    }

    // "AZ=" and three digits found in a stream.
    void scanner_data() {
        QTest::addColumn<QString>("stream");
        QTest::addColumn<QString>("taken");
        QTest::newRow("reply, line end") << "AZ=123\r\n"
                                         << "5:123 /";
        QTest::newRow("359") << "AZ=359"
                             << "5:359 /";
        QTest::newRow("360 is 0") << "AZ=360"
                                  << "5:0 /";
        QTest::newRow("720 is 360") << "AZ=720"
                                    << "5:360 /";
        QTest::newRow("999 is 639") << "AZ=999"
                                    << "5:639 /";
        QTest::newRow("four digits") << "AZ=1234"
                                     << "5:123 /";
        QTest::newRow("lower case") << "az=123"
                                    << "/";
        QTest::newRow("colon") << "AZ:123"
                               << "/Z:123";
        QTest::newRow("one digit waits") << "AZ=0"
                                         << "/AZ=0";
        QTest::newRow("blank digit") << "AZ= 12"
                                     << "/Z= 12";
        QTest::newRow("after A CR LF") << "A\r\nAZ=045"
                                       << "8:45 /";
        QTest::newRow("double A") << "AAZ=090"
                                  << "6:90 /";
        QTest::newRow("broken, then whole") << "AZ=0AZ=123"
                                            << "9:123 /";
        QTest::newRow("full-width digits") << "AZ=０４５"
                                           << "/Z=０４５";
        QTest::newRow("two replies") << "AZ=010AZ=020"
                                     << "5:10 11:20 /";
    }
    void scanner() { QCOMPARE(scan(FETCHED(QString, stream)), FETCHED(QString, taken)); }

    void digits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("digits");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("all ten") << "1234567890" << true;
        QTest::newRow("blank inside") << "0 9" << false;
        QTest::newRow("full-width") << "０９" << false;
        QTest::newRow("below 0") << "/" << false;
        QTest::newRow("above 9") << ":" << false;
        QTest::newRow("superscript two") << "\u00b2" << false;
        QTest::newRow("minus") << "-12" << false;
    }
    void digits() { QCOMPARE(isAllDigits(FETCHED(QString, text)), FETCHED(bool, digits)); }

    // Vector angles in degrees (-1: none, both components infinite).
    void angles_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("degrees");
        const double r3 = std::sqrt(3.0), nan = qQNaN(), inf = qInf();
        QTest::newRow("zero") << 0.0 << 0.0 << 0.0;
        QTest::newRow("negative zero") << -0.0 << -0.0 << 0.0;
        QTest::newRow("+x") << 5.0 << 0.0 << 0.0;
        QTest::newRow("+y") << 0.0 << 5.0 << 90.0;
        QTest::newRow("-x") << -5.0 << 0.0 << 180.0;
        QTest::newRow("-y") << 0.0 << -5.0 << 270.0;
        QTest::newRow("first") << 1.0 << 1.0 << 45.0;
        QTest::newRow("second") << -1.0 << 1.0 << 135.0;
        QTest::newRow("third") << -1.0 << -1.0 << 225.0;
        QTest::newRow("fourth") << 1.0 << -1.0 << 315.0;
        QTest::newRow("60") << 1.0 << r3 << 60.0;
        QTest::newRow("330") << r3 << -1.0 << 330.0;
        QTest::newRow("tiny over huge") << 1e-300 << 1e300 << 90.0;
        QTest::newRow("infinite x") << inf << 3.0 << 0.0;
        QTest::newRow("just below +x") << 1.0 << -1e-300 << 0.0;
        QTest::newRow("nan x") << nan << 1.0 << 0.0;
        QTest::newRow("nan y") << -1.0 << nan << 0.0;
        QTest::newRow("zero, nan") << 0.0 << nan << 0.0;
        QTest::newRow("both infinite") << inf << -inf << -1.0;
        QTest::newRow("both infinite, turned") << -inf << inf << -1.0;
    }
    void angles() {
        QCOMPARE(pi(), std::numbers::pi);
        const auto radians = vectorAngle(FETCHED(double, x), FETCHED(double, y));
        const double degrees = radians ? *radians * 180 / pi() : -1;
        QVERIFY2(std::fabs(degrees - FETCHED(double, degrees)) < 1e-10,
                 qPrintable(QString::number(degrees)));
    }

    // The aim pointer is drawn for an offset text that does not read as zero.
    void aimPointer_data() {
        QTest::addColumn<QString>("offset");
        QTest::addColumn<bool>("wanted");
        for (const char* none : {"", "0", "00", "+0", "-0", "0.0", "  0 ", ".0"})
            QTest::newRow(none) << QString(none) << false;
        for (const char* wanted : {"10", "-5", "0.5", "5x", "abc", "0x", " ", "0 0"})
            QTest::newRow(wanted) << QString(wanted) << true;
    }
    void aimPointer() {
        QCOMPARE(aimPointerWanted(FETCHED(QString, offset)), FETCHED(bool, wanted));
    }

    // The settings line's fields; none without "," or without ":" after it.
    void settingsLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields"); // port, line settings, offset, "older" or ""
        QTest::newRow("colon in offset") << "3,96,00:a:b" << QStringList{"3", "96,00", "a:b", ""};
        QTest::newRow("older, empty") << "3;,:" << QStringList{"3;", "", ",:", "older"};
        QTest::newRow("older offset") << "3,9600:x;7" << QStringList{"3", "9600", "7", "older"};
        QTest::newRow("no colon") << "3,9600,N,8,1" << QStringList();
        QTest::newRow("no comma") << "3" << QStringList();
        QTest::newRow("colon first") << ":3,9" << QStringList();
    }
    void settingsLine() {
        QFETCH(QString, line);
        QStringList got;
        if (const auto f = splitSettingsLine(line))
            got = {f->portNumber, f->lineSettings, f->offset, f->legacy ? u"older"_s : QString()};
        QCOMPARE(got, FETCHED(QStringList, fields));
    }

    // A device-list entry's port number: after the first upper-case "COM", up to ")".
    void listEntry_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("number");
        QTest::newRow("plain") << "USB Serial Port (COM12)"
                               << "12";
        QTest::newRow("no parenthesis") << "COM7"
                                        << "7";
        QTest::newRow("COM in the maker's name") << "COMTEC USB Adapter (COM5)"
                                                 << "TEC USB Adapter (COM5";
        QTest::newRow("no COM") << "ttyUSB0 (x)"
                                << "ttyUSB0 (x";
        QTest::newRow("lower case") << "usb (com4)"
                                    << "usb (com4";
    }
    void listEntry() {
        QCOMPARE(portNumberOfListEntry(FETCHED(QString, entry)), FETCHED(QString, number));
    }

    // A line of the controller line's trace.
    void traceLines_data() {
        QTest::addColumn<bool>("sent");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("line");
        const QByteArray at = "2026-12-07 21:04:05.007";
        QTest::newRow("go-to") << true << "M090\r\n"_ba << at + " TX M090\\r\\n\n";
        QTest::newRow("report") << false << "AZ=123\r\n"_ba << at + " RX AZ=123\\r\\n\n";
        QTest::newRow("nothing") << false << ""_ba << at + " RX \n";
        QTest::newRow("controls") << true << "\t\\\0\x1f\x7f"_ba
                                  << at + " TX \\t\\\\\\x00\\x1F\\x7F\n";
        QTest::newRow("UTF-8") << true << "方"_ba << at + " TX \\xE6\\x96\\xB9\n";
        QTest::newRow("blanks kept") << true << " v "_ba << at + " TX  v \n";
    }
    void traceLines() {
        const QByteArray at = traceTimeStamp(QDateTime(QDate(2026, 12, 7), QTime(21, 4, 5, 7)));
        const auto direction = FETCHED(bool, sent) ? LineDirection::Sent : LineDirection::Received;
        QCOMPARE(traceLine(at, direction, FETCHED(QByteArray, bytes)), FETCHED(QByteArray, line));
    }
};

QTEST_MAIN(RulesTest)
#include "test_rules.moc"
