// The rotator commands: the rules behind them (numbers in texts, the target of a map click), what
// each button sends and leaves in the window with the port open and closed (the go-to format and
// the 15-degree steps among it), and the bytes that reach a real serial line.
#include "Stations.h"

#include "commands/CommandRules.h"
#include "commands/Numbers.h"

using namespace roteka;
using namespace roteka::test;

namespace {

// Clicks the buttons named by their number: 1 left, 2 stop, 3 right, 4 step right, 5 step left,
// 9 free command.
void click(const Form1& form, const QString& keys) {
    const QList<QPushButton*> buttons{form.Command1, form.Command2, form.Command3,
                                      form.Command4, form.Command5, form.Command9};
    for (const QChar key : keys)
        buttons[QStringLiteral("123459").indexOf(key)]->click();
}

QString text(std::optional<auto> value) {
    return value ? QString::number(*value) : QStringLiteral("none");
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    // A text's leading number and the text as a 16-bit whole number; numbers written back and
    // rounded halves to even.
    void numbers() {
        // clang-format off
        for (const auto& [text, leading, whole] : std::initializer_list<std::tuple<QString, double, const char*>>{
                 {"", 0, "none"}, {"  ", 0, "none"}, {"abc", 0, "none"}, {"COM3", 0, "none"}, {"5x", 5, "none"},
                 {"000", 0, "0"}, {" 7 ", 7, "7"}, {"1 5", 15, "none"}, {"\t12", 12, "12"}, {" - 5", -5, "none"},
                 {"+7", 7, "7"}, {"2.5", 2.5, "2"}, {"3.5", 3.5, "4"}, {"-2.5", -2.5, "-2"}, {"3.4", 3.4, "3"},
                 {"1.2.3", 1.2, "none"}, {".5", 0.5, "0"}, {"-.5", -0.5, "0"}, {"-7.", -7, "-7"}, {"-", 0, "none"},
                 {".", 0, "none"}, {"+-3", 0, "none"}, {"1-2", 1, "none"}, {"1,5", 1, "none"}, {"１５", 0, "none"},
                 {"32767", 32767, "32767"}, {"-32768", -32768, "-32768"}, {"-32768.5", -32768.5, "-32768"},
                 {"32767.5", 32767.5, "none"}, {"40000", 40000, "none"}, {"-32769", -32769, "none"}}) {
            QVERIFY2(leadingNumber(text) == leading, qPrintable(text));
            std::optional<int> converted;
            ignoreErrors([&] { converted = toInt16(text); });
            QVERIFY2(::text(converted) == whole, qPrintable(text));
        }
        for (const auto& [value, written, rounded] : std::initializer_list<std::tuple<double, const char*, double>>{
                 {0, "0", 0}, {-0.0, "0", 0}, {-15, "-15", -15}, {1234567, "1234567", 1234567}, {0.5, "0.5", 0},
                 {1.5, "1.5", 2}, {2.5, "2.5", 2}, {2.4999, "2.4999", 2}, {2.5001, "2.5001", 3}, {-1.5, "-1.5", -2},
                 {-2.5, "-2.5", -2}, {-2.6, "-2.6", -3}, {358.5, "358.5", 358}, {359.5, "359.5", 360}})
            QVERIFY2(numberText(value) == written && roundHalfEven(value) == rounded, written);
        // clang-format on
    }

    // The target of a map click: the bearing rounded, the offset added, rounded again, and 360
    // added once when negative; none beyond 16 bits.
    void mapTargets() {
        // clang-format off
        for (const auto& [bearing, offset, target] : std::initializer_list<std::tuple<double, const char*, const char*>>{
                 {90, "0", "90"}, {2.5, "0", "2"}, {3.5, "0", "4"}, {359.5, "0", "360"}, {45, "", "45"}, {45, "abc", "45"},
                 {45, " -10 ", "35"}, {10, "2.5", "12"}, {11, "2.5", "14"}, {10, "3.5", "14"}, {11, "3.5", "14"}, {1.5, "1.5", "4"},
                 {0.5, "0.5", "0"}, {350, "20", "370"}, {5, "-10", "355"}, {0, "-0.5", "0"}, {0, "-390", "-30"},
                 {-90, "-300", "-30"}, {0, "-1000", "-640"}, {0, "32767", "32767"}, {0, "-32768", "-32408"},
                 {0, "32766.5", "32766"}, {1, "32767", "none"}, {0, "32767.5", "none"}, {0, "-32769", "none"},
                 {qQNaN(), "0", "none"}, {qInf(), "0", "none"}})
            QVERIFY2(text(mapTarget(bearing, QString(offset))) == target, qPrintable(QStringLiteral("%1 %2").arg(bearing).arg(offset)));
        // clang-format on
    }

    // Each button twice on a closed port, on the fake port and on a real line: the closed-port
    // report, the connect caption some of them reset, the angle and the receive buffer.
    void closedPort() {
        // clang-format off
        for (const auto& [name, key, shown] : std::initializer_list<std::tuple<const char*, QString, const char*>>{
            {"turn left", "1", "port = False|接続|000|184||"},
            {"stop", "2", "port = False|接続|000|123||"},
            {"turn right", "3", "port = False|切断|000|176||"},
            {"step right", "4", "port = False|切断|000|123||AZ=1"},
            {"step left", "5", "port = False|接続|000|123||AZ=1"},
            {"free command", "9", "port = False|接続|000|123||AZ=1"},
        }) {
            // clang-format on
            FakeStation fake;
            PtyStation line(7);
            line.form->Command6->click();
            fake.platform.serial.setPortOpen(false);
            for (Form1* form : {&fake.form, line.form.get()}) {
                form->Command6->setText("切断");
                form->Label5->setText("123");
                form->Label2[5]->clear();
                form->ReceiveBuffer = "AZ=1";
                form->Text3->setText("V");
                click(*form, key + key);
                QVERIFY2(state(*form) == shown, name);
            }
            QCOMPARE(fake.platform.serial.written + line.controller->readFor(100), "");
            QCOMPARE(fake.platform.messages.shown + line.messages.shown, QStringList());
        }
    }

    // Clicks in a row, on the fake port and on a real line, after a reply of 123 with a reply
    // begun and an angle commanded: the bytes sent, the angle and the receive buffer afterwards.
    void clicks() {
        QByteArray round;
        for (int angle = 15; angle <= 360; angle += 15)
            round += QStringLiteral("M%1\r\n").arg(angle % 360, 3, 10, QLatin1Char('0')).toLatin1();
        // clang-format off
        for (const auto& [name, before, typed, keys, bytes, after] : std::initializer_list<std::tuple<const char*, QString, QString, QString, QByteArray, QString>>{
            {"turn left", "200", "", "1", QByteArray("L\r\n"), "184|"},
            {"stop takes the azimuth", "200", "", "2", QByteArray("A\r\n"), "123|"},
            {"turn right", "200", "", "3", QByteArray("R\r\n"), "176|"},
            {"step right", "200", "", "4", QByteArray("M215\r\n"), "215|AZ=1"},
            {"step left", "200", "", "5", QByteArray("M185\r\n"), "185|AZ=1"},
            {"free command", "200", "v", "9", QByteArray("v\r\n"), "200|AZ=1"},
            {"right from nothing", "", "", "4", QByteArray("M015\r\n"), "15|AZ=1"},
            {"left twice from 15", "15", "", "55", QByteArray("M360\r\nM345\r\n"), "345|AZ=1"},
            {"left from -400", "-400", "", "5", QByteArray("M-55\r\n"), "-55|AZ=1"},
            {"right from 9990, not sent", "9990", "", "4", QByteArray(), "9645|AZ=1"},
            {"turn left, step right", "", "", "14", QByteArray("L\r\nM199\r\n"), "199|"},
            {"turn right, step left", "", "", "35", QByteArray("R\r\nM161\r\n"), "161|"},
            {"turns twice", "", "", "1133", QByteArray("L\r\nL\r\nR\r\nR\r\n"), "176|"},
            {"a go-to typed leaves the angle", "", "M090", "194", QByteArray("L\r\nM090\r\nM199\r\n"), "199|"},
            {"24 steps right, a whole turn", "0", "", QString(24, u'4'), round, "0|AZ=1"},
            {"empty free command", "", "", "9", QByteArray("\r\n"), "|AZ=1"},
            {"blanks and case kept", "", "  v x ", "9", QByteArray("  v x \r\n"), "|AZ=1"},
            {"kanji in UTF-8", "", "方位M090", "9", QByteArray("\xE6\x96\xB9\xE4\xBD\x8DM090\r\n"), "|AZ=1"},
            {"half-width kana", "", "ｺﾏﾝﾄﾞ", "9", QByteArray("\xEF\xBD\xBA\xEF\xBE\x8F\xEF\xBE\x9D\xEF\xBE\x84\xEF\xBE\x9E\r\n"), "|AZ=1"},
        }) {
            // clang-format on
            FakeStation fake;
            PtyStation line(5);
            for (Form1* form : {&fake.form, line.form.get()}) {
                form->Label4->setCaption("123");
                form->Label5->setText(before);
                form->ReceiveBuffer = "AZ=1";
                form->Text3->setText(typed);
                click(*form, keys);
                QVERIFY2(form->Label5->text() + '|' + form->ReceiveBuffer == after, name);
                QVERIFY2(form->Label1->text() + form->Command6->text() + form->Text3->text() ==
                             "Port = True切断" + typed,
                         name);
            }
            QVERIFY2(fake.platform.serial.written == bytes, name);
            const QByteArray sent = line.controller->readUntil(bytes.size(), 5000);
            QVERIFY2(sent + line.controller->readFor(50) == bytes, name);
            QCOMPARE(fake.platform.messages.shown + line.messages.shown, QStringList());
        }
    }
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
