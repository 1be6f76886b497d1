// The reply scanner: the digit test, the named streams, and random streams checked against an
// independent oracle that looks for "AZ=" and three digits anywhere in the raw stream.
#include "feedback/ReplyScanner.h"

#include <QRandomGenerator>
#include <QtTest>

#include <map>

using namespace roteka;

namespace {

struct Scan {
    std::map<qsizetype, int> accepted; // the azimuth accepted at each position of the stream
    qsizetype longestBuffer = 0;       // between two reads
};

// Feeds the stream one character per read, one scan step each.
Scan scanOneByOne(const QString& stream, QString& buffer) {
    Scan scan;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        buffer += stream[i];
        if (const auto azimuth = scanStep(buffer))
            scan.accepted[i] = *azimuth;
        scan.longestBuffer = qMax(scan.longestBuffer, buffer.size());
    }
    return scan;
}

// Written without the scanner: every window of six characters that reads "AZ=" and three
// ASCII digits is a reply, due when its last digit arrives; 360 and more lose 360 once.
std::map<qsizetype, int> oracle(const QString& stream) {
    std::map<qsizetype, int> due;
    const QString digits = QStringLiteral("0123456789");
    for (qsizetype i = 0; i + 6 <= stream.size(); ++i) {
        if (stream[i] != u'A' || stream[i + 1] != u'Z' || stream[i + 2] != u'=')
            continue;
        int value = 0;
        bool ok = true;
        for (qsizetype k = 3; k < 6; ++k) {
            const qsizetype d = digits.indexOf(stream[i + k]);
            ok = ok && d >= 0;
            value = value * 10 + static_cast<int>(d);
        }
        if (ok)
            due[i + 5] = value >= 360 ? value - 360 : value;
    }
    return due;
}

QString randomStream(QRandomGenerator& random, int pieces) {
    const QStringList fixed{
        QStringLiteral("\r\n"),      QStringLiteral("A"),        QStringLiteral("A\r\n"),
        QStringLiteral("AZ=12\r"),   QStringLiteral("AZ=1\r\n"), QStringLiteral("az=123"),
        QStringLiteral("AZ= 12"),    QStringLiteral("AZ=-12"),   QStringLiteral("AZ=+12"),
        QStringLiteral("AAZ="),      QStringLiteral("AZ="),      QStringLiteral("Az=123"),
        QStringLiteral("AZ=１２３"), QStringLiteral("AZ:123"),   QStringLiteral("ZA=123"),
    };
    const QString alphabet = QStringLiteral("AZ=0123456789\r\n -az?\xe9");
    QString stream;
    for (int p = 0; p < pieces; ++p) {
        switch (random.bounded(4)) {
        case 0:
            stream += QStringLiteral("AZ=%1").arg(random.bounded(1000), 3, 10, QLatin1Char('0'));
            break;
        case 1:
            stream += fixed[random.bounded(fixed.size())];
            break;
        case 2:
            for (int n = random.bounded(1, 8); n > 0; --n)
                stream += alphabet[random.bounded(alphabet.size())];
            break;
        default:
            stream += QChar(random.bounded(1, 256));
            break;
        }
    }
    return stream;
}

} // namespace

class ReplyScannerTest : public QObject {
    Q_OBJECT
private slots:
    void isAllDigit_data();
    void isAllDigit();
    void namedStreams_data();
    void namedStreams();
    void randomStreamsMatchTheOracle_data();
    void randomStreamsMatchTheOracle();
    void incompleteReplyWaitsAcrossReads();
};

void ReplyScannerTest::isAllDigit_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("09") << "09" << true;
    QTest::newRow("all ten") << "1234567890" << true;
    QTest::newRow("blank inside") << "0 9" << false;
    QTest::newRow("minus sign") << "-12" << false;
    QTest::newRow("plus sign") << "+12" << false;
    QTest::newRow("decimal point") << "1.5" << false;
    QTest::newRow("full-width digits") << QStringLiteral("０９") << false;
    QTest::newRow("CR") << "12\r" << false;
    QTest::newRow("LF first") << "\n12" << false;
    QTest::newRow("below 0") << "/" << false;
    QTest::newRow("above 9") << ":" << false;
    QTest::newRow("superscript two") << QStringLiteral("\u00b2") << false;
}

void ReplyScannerTest::isAllDigit() {
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const QString before = text;
    QCOMPARE(IsAllDigit(text), expected);
    QCOMPARE(text, before);
}

void ReplyScannerTest::namedStreams_data() {
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<QList<int>>("azimuths");
    QTest::addColumn<QString>("rest");

    using L = QList<int>;
    QTest::newRow("123 then CR LF") << "AZ=123\r\n" << L{5} << L{123} << "";
    QTest::newRow("005") << "AZ=005" << L{5} << L{5} << "";
    QTest::newRow("000") << "AZ=000" << L{5} << L{0} << "";
    QTest::newRow("359") << "AZ=359" << L{5} << L{359} << "";
    QTest::newRow("360") << "AZ=360" << L{5} << L{0} << "";
    QTest::newRow("450") << "AZ=450" << L{5} << L{90} << "";
    QTest::newRow("719") << "AZ=719" << L{5} << L{359} << "";
    QTest::newRow("720") << "AZ=720" << L{5} << L{360} << "";
    QTest::newRow("999") << "AZ=999" << L{5} << L{639} << "";
    QTest::newRow("four digits") << "AZ=1234" << L{5} << L{123} << "";
    QTest::newRow("lower case") << "az=123" << L{} << L{} << "";
    QTest::newRow("blank and two digits") << "AZ= 12" << L{} << L{} << "Z= 12";
    QTest::newRow("minus sign") << "AZ=-12" << L{} << L{} << "Z=-12";
    QTest::newRow("two digits then CR") << "AZ=12\r" << L{} << L{} << "Z=12\r";
    QTest::newRow("lone A before") << "A\r\nAZ=045" << L{8} << L{45} << "";
    QTest::newRow("double A") << "AAZ=090" << L{6} << L{90} << "";
    QTest::newRow("reply inside a broken one") << "AZ=0AZ=123" << L{9} << L{123} << "";
    QTest::newRow("full-width digits")
        << QStringLiteral("AZ=０４５") << L{} << L{} << QStringLiteral("Z=０４５");
    QTest::newRow("back to back") << "AZ=010AZ=020" << L{5, 11} << L{10, 20} << "";
}

void ReplyScannerTest::namedStreams() {
    QFETCH(QString, stream);
    QFETCH(QList<int>, positions);
    QFETCH(QList<int>, azimuths);
    QFETCH(QString, rest);

    QString buffer;
    const Scan scan = scanOneByOne(stream, buffer);
    QList<int> gotPositions;
    QList<int> gotAzimuths;
    for (const auto& [position, azimuth] : scan.accepted) {
        gotPositions.append(static_cast<int>(position));
        gotAzimuths.append(azimuth);
    }
    QCOMPARE(gotPositions, positions);
    QCOMPARE(gotAzimuths, azimuths);
    QCOMPARE(buffer, rest);
}

void ReplyScannerTest::randomStreamsMatchTheOracle_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u, 42u, 2013u, 65535u, 123456789u, 4000000000u})
        QTest::addRow("seed %u", seed) << seed;
}

void ReplyScannerTest::randomStreamsMatchTheOracle() {
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    const QString stream = randomStream(random, 1500);
    const auto due = oracle(stream);
    QVERIFY(due.size() > 100);

    QString buffer;
    const Scan scan = scanOneByOne(stream, buffer);
    const auto& accepted = scan.accepted;
    QVERIFY(scan.longestBuffer <= 5);
    for (const auto& [position, azimuth] : due) {
        const auto found = accepted.find(position);
        QVERIFY2(found != accepted.end(),
                 qPrintable(QStringLiteral("reply ending at %1 missed").arg(position)));
        QCOMPARE(found->second, azimuth);
    }
    for (const auto& [position, azimuth] : accepted)
        QVERIFY2(due.count(position),
                 qPrintable(QStringLiteral("%1 accepted at %2, where no reply ends")
                                .arg(azimuth)
                                .arg(position)));
}

void ReplyScannerTest::incompleteReplyWaitsAcrossReads() {
    QString buffer = QStringLiteral("AZ=0");
    QCOMPARE(scanStep(buffer), std::nullopt);
    QCOMPARE(buffer, QStringLiteral("AZ=0"));
    buffer += QStringLiteral("4");
    QCOMPARE(scanStep(buffer), std::nullopt);
    buffer += QStringLiteral("5");
    QCOMPARE(scanStep(buffer), std::optional<int>(45));
    QCOMPARE(buffer, QString());
    QCOMPARE(scanStep(buffer), std::nullopt);
    QCOMPARE(buffer, QString());
}

QTEST_MAIN(ReplyScannerTest)
#include "test_feedback_scanner.moc"
