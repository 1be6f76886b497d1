// The controller's replies: the scanner that finds "AZ=" and three digits in the stream (the fuzz
// target checks it on any stream), and the reception on the window: the current azimuth, the
// once-per-run initialisation step, and what ends a half-read reply.
#include "Stations.h"

#include "feedback/ReplyScanner.h"

using namespace roteka;
using namespace roteka::test;

namespace {

// The stream fed one character a read, a scan step each: "position:azimuth" of every reply
// taken, then "/" and what is left in the buffer.
QString scan(const QString& stream) {
    QString buffer;
    QStringList taken;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        buffer += stream[i];
        if (const auto azimuth = scanStep(buffer))
            taken.append(QStringLiteral("%1:%2").arg(i).arg(*azimuth));
    }
    return taken.join(' ') + '/' + buffer;
}

} // namespace

class FeedbackTest : public QObject {
    Q_OBJECT
private slots:
    void scanner() {
        // clang-format off
        for (const auto& [text, digits] : std::initializer_list<std::pair<QString, bool>>{
                 {"", true}, {"1234567890", true}, {"0 9", false}, {"-12", false}, {"+12", false}, {"1.5", false},
                 {"０９", false}, {"12\r", false}, {"/", false}, {":", false}, {"\u00b2", false}})
            QVERIFY2(IsAllDigit(text) == digits, qPrintable(text));
        for (const auto& [stream, taken] : std::initializer_list<std::pair<QString, const char*>>{
                 {"AZ=123\r\n", "5:123/"}, {"AZ=000", "5:0/"}, {"AZ=359", "5:359/"}, {"AZ=360", "5:0/"}, {"AZ=450", "5:90/"},
                 {"AZ=719", "5:359/"}, {"AZ=720", "5:360/"}, {"AZ=999", "5:639/"}, {"AZ=1234", "5:123/"}, {"az=123", "/"}, {"AZ:123", "/Z:123"},
                 {"AZ=0", "/AZ=0"}, {"AZ= 12", "/Z= 12"}, {"AZ=-12", "/Z=-12"}, {"AZ=12\r", "/Z=12\r"}, {"A\r\nAZ=045", "8:45/"},
                 {"AAZ=090", "6:90/"}, {"AZ=0AZ=123", "9:123/"}, {"AZ=０４５", "/Z=０４５"}, {"AZ=010AZ=020", "5:10 11:20/"}})
            QVERIFY2(scan(stream) == taken, qPrintable(stream + " -> " + scan(stream)));
        // clang-format on
    }

    // The first reply, whole or after noise, shows and becomes the last-commanded angle.
    void firstReply() {
        // clang-format off
        for (const auto& [bytes, shown] : std::initializer_list<std::pair<QByteArray, const char*>>{
                 {"AZ=090", "Port = True|切断|90|90|設定角度 ＝|"}, {"AZ=000\r\n", "Port = True|切断|0|0|設定角度 ＝|"},
                 {"A\r\nAZ=045\r\n", "Port = True|切断|45|45|設定角度 ＝|"}, {"AZ=450", "Port = True|切断|90|90|設定角度 ＝|"}}) {
            // clang-format on
            FakeStation w;
            QCOMPARE(state(w.form), "Port = True|切断|000||初期化中|");
            w.platform.serial.feed(bytes);
            QCOMPARE(state(w.form), shown);
            QCOMPARE(w.platform.serial.inBufferCount() + w.platform.serial.written.size(), 0);
        }
    }

    // A command before the first reply is overwritten by it, later replies leave the angle; a
    // command empties a half-read reply.
    void initialisationHappensOnce() {
        FakeStation w;
        w.form.Command1->click();
        w.platform.serial.feed("AZ=010\r\n");
        QCOMPARE(w.form.Label5->text(), "10");
        w.form.Command3->click();
        w.platform.serial.feed("AZ=020\r\nAZ=030\r\nAZ=0");
        QCOMPARE(state(w.form), "Port = True|切断|30|176|設定角度 ＝|AZ=0");
        w.form.Command2->click();
        w.platform.serial.feed("45\r\n");
        QCOMPARE(state(w.form), "Port = True|切断|30|30|設定角度 ＝|");
        QCOMPARE(w.platform.serial.written, "L\r\nR\r\nA\r\n");
        FakeStation half;
        half.platform.serial.feed("AZ=0");
        half.form.Command2->click();
        half.platform.serial.feed("45\r\n");
        QCOMPARE(state(half.form), "Port = True|切断|000|000|初期化中|");
    }
};

QTEST_MAIN(FeedbackTest)
#include "test_feedback.moc"
