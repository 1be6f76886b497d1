// The pure rules.
#include "rules/Bearing.h"
#include "rules/CommandRules.h"
#include "rules/Numbers.h"
#include "rules/PointerGeometry.h"
#include "rules/ReplyScanner.h"
#include "rules/SettingsLine.h"

#include <QtTest>

#include <cmath>
#include <numbers>

using namespace roteka;

namespace {

// An optional value as text, "n" for none.
QString text(std::optional<auto> value) {
    return value ? QString::number(*value) : "n";
}

// The stream fed a character a scan step: "position:azimuth" of each reply taken, "/", the rest.
QString scan(const QString& stream) {
    QString buffer, taken;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        buffer += stream[i];
        if (const auto azimuth = scanStep(buffer))
            taken += QString("%1:%2 ").arg(i).arg(*azimuth);
    }
    return taken + '/' + buffer;
}

} // namespace

class RulesTest : public QObject {
    Q_OBJECT
private slots:
    // A text's leading number and 16-bit whole number (n: none); numbers written and rounded.
    void numbers() {
        for (const auto& [t, leading, whole] : {std::array<QString, 3>{"", "0", "n"},
                                                {"COM3", "0", "n"},
                                                {"5x", "5", "n"},
                                                {" 7 ", "7", "7"},
                                                {"1 5", "15", "n"},
                                                {"\t12", "12", "12"},
                                                {" - 5", "-5", "n"},
                                                {"+7", "7", "7"},
                                                {"2.5", "2.5", "2"},
                                                {"3.5", "3.5", "4"},
                                                {"1.2.3", "1.2", "n"},
                                                {".5", "0.5", "0"},
                                                {"-7.", "-7", "-7"},
                                                {".", "0", "n"},
                                                {"+-3", "0", "n"},
                                                {"1,5", "1", "n"},
                                                {"１５", "0", "n"},
                                                {"32767", "32767", "32767"},
                                                {"-32768", "-32768", "-32768"},
                                                {"-32768.5", "-32768.5", "-32768"},
                                                {"32767.5", "32767.5", "n"},
                                                {"-32769", "-32769", "n"}})
            QVERIFY2(numberText(leadingNumber(t)) == leading && text(toInt16(t)) == whole,
                     qPrintable(t));
        for (const auto& [value, written, rounded] :
             {std::tuple<double, const char*, double>{-0.0, "0", 0},
              {1234567, "1234567", 1234567},
              {2.4999, "2.4999", 2},
              {2.5001, "2.5001", 3},
              {-1.5, "-1.5", -2}})
            QVERIFY2(numberText(value) == written && roundHalfEven(value) == rounded, written);
    }

    // The go-to line by the angle text's length (n: none), the steps of 15 degrees wrapping once;
    // the target of a map click: bearing and offset rounded, 360 added once when negative.
    void commandAngles() {
        for (const auto& [angle, line, right, left] : {std::array<QString, 4>{"", "n", "15", "345"},
                                                       {"0", "M000", "15", "345"},
                                                       {"5", "M005", "20", "350"},
                                                       {"15", "M015", "30", "360"},
                                                       {"345", "M345", "0", "330"},
                                                       {"-400", "n", "-385", "-55"},
                                                       {"9990", "n", "9645", "9975"}})
            QVERIFY2(goToLine(angle).value_or("n") == line && stepRight(angle) == right &&
                         stepLeft(angle) == left,
                     qPrintable(angle));
        for (const auto& [bearing, offset, target] :
             {std::tuple<double, const char*, const char*>{359.5, "0", "360"},
              {45, " -10 ", "35"},
              {10, "2.5", "12"},
              {11, "2.5", "14"},
              {1.5, "1.5", "4"},
              {0.5, "0.5", "0"},
              {350, "20", "370"},
              {5, "-10", "355"},
              {0, "-0.5", "0"},
              {0, "-390", "-30"},
              {0, "32767", "32767"},
              {0, "-32768", "-32408"},
              {1, "32767", "n"},
              {0, "-32769", "n"},
              {qQNaN(), "0", "n"},
              {qInf(), "0", "n"}})
            QVERIFY2(text(mapTarget(bearing, QString(offset))) == target, offset);
    }

    // "AZ=" and three digits found in a stream.
    void scanner() {
        QVERIFY(isAllDigits("") && isAllDigits("1234567890"));
        for (const QString other : {"0 9", "０９", "/", ":", "\u00b2"})
            QVERIFY2(!isAllDigits(other), qPrintable(other));
        for (const auto& [stream, taken] : {std::array<QString, 2>{"AZ=123\r\n", "5:123 /"},
                                            {"AZ=359", "5:359 /"},
                                            {"AZ=360", "5:0 /"},
                                            {"AZ=720", "5:360 /"},
                                            {"AZ=1234", "5:123 /"},
                                            {"az=123", "/"},
                                            {"AZ:123", "/Z:123"},
                                            {"AZ=0", "/AZ=0"},
                                            {"AZ= 12", "/Z= 12"},
                                            {"A\r\nAZ=045", "8:45 /"},
                                            {"AAZ=090", "6:90 /"},
                                            {"AZ=0AZ=123", "9:123 /"},
                                            {"AZ=０４５", "/Z=０４５"},
                                            {"AZ=010AZ=020", "5:10 11:20 /"}})
            QVERIFY2(scan(stream) == taken, qPrintable(stream));
    }

    // Vector angles in degrees; none when both components are infinite.
    void angles() {
        QCOMPARE(pi(), std::numbers::pi);
        const double r3 = std::sqrt(3.0), nan = qQNaN(), inf = qInf();
        for (const auto& [x, y, degrees] : {std::array<double, 3>{0, 0, 0},
                                            {-0.0, -0.0, 0},
                                            {5, 0, 0},
                                            {0, 5, 90},
                                            {-5, 0, 180},
                                            {0, -5, 270},
                                            {1, 1, 45},
                                            {-1, 1, 135},
                                            {-1, -1, 225},
                                            {1, -1, 315},
                                            {1, r3, 60},
                                            {r3, -1, 330},
                                            {1e-300, 1e300, 90},
                                            {inf, 3, 0},
                                            {1, -1e-300, 0},
                                            {nan, 1, 0},
                                            {-1, nan, 0},
                                            {0, nan, 0}})
            QVERIFY2(std::fabs(vectorAngle(x, y).value_or(9) * 180 / pi() - degrees) < 1e-10,
                     qPrintable(QString("%1 %2").arg(x).arg(y)));
        QVERIFY(!vectorAngle(inf, -inf) && !vectorAngle(-inf, inf));
    }

    // The aim pointer is wanted for an offset that is not zero.
    void aimPointer() {
        for (const char* none : {"", "0", "+0", "-0", "0.0", "  0 "})
            QVERIFY2(!aimPointerWanted(QString(none)), none);
        for (const char* wanted : {"10", "-5", "0.5", "5x", "abc", "0x", " "})
            QVERIFY2(aimPointerWanted(QString(wanted)), wanted);
    }

    // The settings line (n: none; L: the older form) and a device-list entry's port number.
    void settingsLine() {
        for (const auto& [line, fields] : {std::array<const char*, 2>{"3,96,00:a:b", "3|96,00|a:b"},
                                           {"3;,:", "3;||,:L"},
                                           {"3,9600,N,8,1", "n"},
                                           {"3", "n"},
                                           {":3,9", "n"}}) {
            const auto f = splitSettingsLine(line);
            const QString got = f ? f->portNumber + '|' + f->lineSettings + '|' + f->offset : "n";
            QVERIFY2(got + (f && f->legacy ? "L" : "") == fields, line);
        }
        for (const auto& [entry, number] : {std::array<const char*, 2>{"COM7", "7"},
                                            {"COMTEC USB Adapter (COM5)", "TEC USB Adapter (COM5"},
                                            {"ttyUSB0 (x)", "ttyUSB0 (x"}})
            QVERIFY2(portNumberOfListEntry(entry) == number, entry);
    }
};

QTEST_MAIN(RulesTest)
#include "test_rules.moc"
