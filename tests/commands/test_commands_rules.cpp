// The rules behind the rotator commands: go-to formatting, the 15-degree steps, reading and
// writing numbers in texts, the 16-bit conversion and the target of a map click.
#include "app/RunTimeError.h"
#include "commands/CommandRules.h"
#include "commands/Numbers.h"

#include <QtTest>

#include <limits>

using namespace roteka;

class CommandRulesTest : public QObject {
    Q_OBJECT
private slots:
    void goTo_data();
    void goTo();
    void steps_data();
    void steps();
    void leadingNumbers_data();
    void leadingNumbers();
    void numberTexts_data();
    void numberTexts();
    void halfEven_data();
    void halfEven();
    void int16_data();
    void int16();
    void mapTargets_data();
    void mapTargets();
};

void CommandRulesTest::goTo_data() {
    QTest::addColumn<QString>("angle");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("line");

    QTest::newRow("5") << "5" << true << "M005";
    QTest::newRow("7") << "7" << true << "M007";
    QTest::newRow("45") << "45" << true << "M045";
    QTest::newRow("70") << "70" << true << "M070";
    QTest::newRow("199") << "199" << true << "M199";
    QTest::newRow("270") << "270" << true << "M270";
    QTest::newRow("360") << "360" << true << "M360";
    QTest::newRow("000 kept as typed") << "000" << true << "M000";
    QTest::newRow("-5 padded by length") << "-5" << true << "M0-5";
    QTest::newRow("-30") << "-30" << true << "M-30";
    QTest::newRow("1000") << "1000" << false << "";
    QTest::newRow("-100") << "-100" << false << "";
    QTest::newRow("empty") << "" << false << "";
}

void CommandRulesTest::goTo() {
    QFETCH(QString, angle);
    QFETCH(bool, sent);
    QFETCH(QString, line);
    const auto result = goToLine(angle);
    QCOMPARE(result.has_value(), sent);
    if (sent)
        QCOMPARE(*result, line);
}

void CommandRulesTest::steps_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("rightLine");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("leftLine");

    QTest::newRow("empty") << ""
                           << "15"
                           << "M015"
                           << "345"
                           << "M345";
    QTest::newRow("0") << "0"
                       << "15"
                       << "M015"
                       << "345"
                       << "M345";
    QTest::newRow("000") << "000"
                         << "15"
                         << "M015"
                         << "345"
                         << "M345";
    QTest::newRow("15") << "15"
                        << "30"
                        << "M030"
                        << "360"
                        << "M360";
    QTest::newRow("16 left to a single digit") << "16"
                                               << "31"
                                               << "M031"
                                               << "1"
                                               << "M001";
    QTest::newRow("176 after turn right") << "176"
                                          << "191"
                                          << "M191"
                                          << "161"
                                          << "M161";
    QTest::newRow("184 after turn left") << "184"
                                         << "199"
                                         << "M199"
                                         << "169"
                                         << "M169";
    QTest::newRow("345") << "345"
                         << "0"
                         << "M000"
                         << "330"
                         << "M330";
    QTest::newRow("350") << "350"
                         << "5"
                         << "M005"
                         << "335"
                         << "M335";
    QTest::newRow("360") << "360"
                         << "15"
                         << "M015"
                         << "345"
                         << "M345";
    QTest::newRow("375 left lands on 360") << "375"
                                           << "30"
                                           << "M030"
                                           << "360"
                                           << "M360";
    QTest::newRow("800 wraps once") << "800"
                                    << "455"
                                    << "M455"
                                    << "785"
                                    << "M785";
    QTest::newRow("-30") << "-30"
                         << "-15"
                         << "M-15"
                         << "315"
                         << "M315";
    QTest::newRow("-400 wraps once") << "-400"
                                     << "-385"
                                     << ""
                                     << "-55"
                                     << "M-55";
    QTest::newRow("9990 too long to send") << "9990"
                                           << "9645"
                                           << ""
                                           << "9975"
                                           << "";
    QTest::newRow("not a number counts as 0") << "abc"
                                              << "15"
                                              << "M015"
                                              << "345"
                                              << "M345";
}

void CommandRulesTest::steps() {
    QFETCH(QString, before);
    QFETCH(QString, right);
    QFETCH(QString, rightLine);
    QFETCH(QString, left);
    QFETCH(QString, leftLine);

    const QString afterRight = stepRight(before);
    QCOMPARE(afterRight, right);
    QCOMPARE(goToLine(afterRight).value_or(QString()), rightLine);
    const QString afterLeft = stepLeft(before);
    QCOMPARE(afterLeft, left);
    QCOMPARE(goToLine(afterLeft).value_or(QString()), leftLine);
}

void CommandRulesTest::leadingNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("number then letters") << "5x" << 5.0;
    QTest::newRow("leading zeros") << "000" << 0.0;
    QTest::newRow("184") << "184" << 184.0;
    QTest::newRow("blanks before") << "  15" << 15.0;
    QTest::newRow("blanks inside") << "1 5" << 15.0;
    QTest::newRow("tab before") << "\t12" << 12.0;
    QTest::newRow("blank after sign") << " - 5" << -5.0;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("decimals") << "2.5" << 2.5;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("negative point first") << "-.5" << -0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("two signs") << "+-3" << 0.0;
    QTest::newRow("minus after digits ends it") << "1-2" << 1.0;
    QTest::newRow("comma ends it") << "1,5" << 1.0;
    QTest::newRow("full-width digits are not digits") << "１５" << 0.0;
}

void CommandRulesTest::leadingNumbers() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(leadingNumber(text), value);
}

void CommandRulesTest::numberTexts_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("0") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("15") << 15.0 << "15";
    QTest::newRow("-15") << -15.0 << "-15";
    QTest::newRow("199") << 199.0 << "199";
    QTest::newRow("no exponent for large whole numbers") << 1234567.0 << "1234567";
    QTest::newRow("fraction kept") << 2.5 << "2.5";
}

void CommandRulesTest::numberTexts() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(numberText(value), text);
}

void CommandRulesTest::halfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");

    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("2.4999") << 2.4999 << 2.0;
    QTest::newRow("2.5001") << 2.5001 << 3.0;
    QTest::newRow("-1.5") << -1.5 << -2.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-2.6") << -2.6 << -3.0;
    QTest::newRow("358.5") << 358.5 << 358.0;
    QTest::newRow("359.5") << 359.5 << 360.0;
}

void CommandRulesTest::halfEven() {
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(roundHalfEven(value), rounded);
}

void CommandRulesTest::int16_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("3") << "3" << true << 3;
    QTest::newRow("blanks around") << " 7 " << true << 7;
    QTest::newRow("3.5 up to even") << "3.5" << true << 4;
    QTest::newRow("2.5 down to even") << "2.5" << true << 2;
    QTest::newRow("-2.5") << "-2.5" << true << -2;
    QTest::newRow("3.4") << "3.4" << true << 3;
    QTest::newRow("plus sign") << "+12" << true << 12;
    QTest::newRow("largest") << "32767" << true << 32767;
    QTest::newRow("smallest") << "-32768" << true << -32768;
    QTest::newRow("-32768.5 rounds into range") << "-32768.5" << true << -32768;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "  " << false << 0;
    QTest::newRow("device name") << "COM3" << false << 0;
    QTest::newRow("number then letters") << "5x" << false << 0;
    QTest::newRow("two points") << "1.2.3" << false << 0;
    QTest::newRow("point first") << ".5" << true << 0;
    QTest::newRow("point last") << "-7." << true << -7;
    QTest::newRow("point alone") << "." << false << 0;
    QTest::newRow("sign alone") << "-" << false << 0;
    QTest::newRow("two signs") << "+-3" << false << 0;
    QTest::newRow("blank after the sign") << "- 3" << false << 0;
    QTest::newRow("full-width digit") << QStringLiteral("\uFF13") << false << 0;
    QTest::newRow("40000") << "40000" << false << 0;
    QTest::newRow("-32769") << "-32769" << false << 0;
    QTest::newRow("32767.5 rounds out of range") << "32767.5" << false << 0;
}

void CommandRulesTest::int16() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    if (valid) {
        QCOMPARE(int(toInt16(text)), value);
    } else {
        QVERIFY_THROWS_EXCEPTION(RunTimeError, toInt16(text));
    }
}

void CommandRulesTest::mapTargets_data() {
    QTest::addColumn<double>("bearing");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("target");

    QTest::newRow("whole bearing") << 90.0 << "0" << true << 90;
    QTest::newRow("2.5 rounds down to even") << 2.5 << "0" << true << 2;
    QTest::newRow("3.5 rounds up to even") << 3.5 << "0" << true << 4;
    QTest::newRow("359.5 gives 360, kept") << 359.5 << "0" << true << 360;
    QTest::newRow("empty offset") << 45.0 << "" << true << 45;
    QTest::newRow("offset not a number") << 45.0 << "abc" << true << 45;
    QTest::newRow("offset with blanks") << 45.0 << " -10 " << true << 35;
    QTest::newRow("offset 2.5, sum 12.5") << 10.0 << "2.5" << true << 12;
    QTest::newRow("offset 2.5, sum 13.5") << 11.0 << "2.5" << true << 14;
    QTest::newRow("offset 3.5, sum 13.5") << 10.0 << "3.5" << true << 14;
    QTest::newRow("offset 3.5, sum 14.5") << 11.0 << "3.5" << true << 14;
    QTest::newRow("offset added after rounding 1.5") << 1.5 << "1.5" << true << 4;
    QTest::newRow("offset added after rounding 0.5") << 0.5 << "0.5" << true << 0;
    QTest::newRow("370 stays") << 350.0 << "20" << true << 370;
    QTest::newRow("negative gets 360") << 5.0 << "-10" << true << 355;
    QTest::newRow("270 - 300") << 270.0 << "-300" << true << 330;
    QTest::newRow("-0.5 rounds to 0") << 0.0 << "-0.5" << true << 0;
    QTest::newRow("-390 gets 360 once") << 0.0 << "-390" << true << -30;
    QTest::newRow("bearing -90, offset -300") << -90.0 << "-300" << true << -30;
    QTest::newRow("-1000 stays negative") << 0.0 << "-1000" << true << -640;
    QTest::newRow("largest 16-bit") << 0.0 << "32767" << true << 32767;
    QTest::newRow("smallest 16-bit") << 0.0 << "-32768" << true << -32408;
    QTest::newRow("32766.5 rounds into range") << 0.0 << "32766.5" << true << 32766;
    QTest::newRow("one over") << 1.0 << "32767" << false << 0;
    QTest::newRow("32767.5 rounds out of range") << 0.0 << "32767.5" << false << 0;
    QTest::newRow("one under") << 0.0 << "-32769" << false << 0;
    QTest::newRow("40000") << 0.0 << "40000" << false << 0;
    QTest::newRow("-40000") << 0.0 << "-40000" << false << 0;
    QTest::newRow("bearing not a number")
        << std::numeric_limits<double>::quiet_NaN() << "0" << false << 0;
    QTest::newRow("infinite bearing")
        << std::numeric_limits<double>::infinity() << "0" << false << 0;
}

void CommandRulesTest::mapTargets() {
    QFETCH(double, bearing);
    QFETCH(QString, offset);
    QFETCH(bool, valid);
    QFETCH(int, target);
    const auto result = mapTarget(bearing, offset);
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, target);
}

QTEST_MAIN(CommandRulesTest)
#include "test_commands_rules.moc"
