#include "noise.h"
#include "protocol.h"

#include <QTest>

using namespace roteka::sim;

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Where the first well-formed report ("AZ=" and three digits) starts, or -1.
qsizetype findReport(const std::string& s) {
    for (std::size_t i = 0; i + 6 <= s.size(); ++i) {
        if (s.compare(i, 3, "AZ=") == 0 && isDigit(s[i + 3]) && isDigit(s[i + 4]) &&
            isDigit(s[i + 5]))
            return static_cast<qsizetype>(i);
    }
    return -1;
}

QByteArray around(const std::string& s, qsizetype at) {
    const auto from = std::max<qsizetype>(0, at - 10);
    return QByteArray::fromStdString(s.substr(static_cast<std::size_t>(from), 24))
        .toPercentEncoding();
}
} // namespace

// The line protocol pieces: line splitting, command parsing, the report format and the noise.
class TestSimProtocol : public QObject {
    Q_OBJECT

private slots:
    void splitsLines_data();
    void splitsLines();
    void parsesCommands_data();
    void parsesCommands();
    void formatsReports_data();
    void formatsReports();
    void escapesLogText_data();
    void escapesLogText();
    void noiseNeverFormsAReport_data();
    void noiseNeverFormsAReport();
    void noiseDoesNotCompleteACutReport_data();
    void noiseDoesNotCompleteACutReport();
    void noiseIsReproducible();
};

void TestSimProtocol::splitsLines_data() {
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QByteArrayList>("lines");

    QTest::newRow("CR LF") << QByteArrayList{"M010\r\n"} << QByteArrayList{"M010"};
    QTest::newRow("CR") << QByteArrayList{"L\rR\r"} << QByteArrayList{"L", "R"};
    QTest::newRow("LF") << QByteArrayList{"A\nM123\n"} << QByteArrayList{"A", "M123"};
    QTest::newRow("mixed") << QByteArrayList{"L\r\nR\nA\rM001\r\n"}
                           << QByteArrayList{"L", "R", "A", "M001"};
    QTest::newRow("line across reads")
        << QByteArrayList{"M0", "1", "0\r\n"} << QByteArrayList{"M010"};
    QTest::newRow("CR LF across reads")
        << QByteArrayList{"M010\r", "\nA\r", "\n"} << QByteArrayList{"M010", "A"};
    QTest::newRow("one byte at a time")
        << QByteArrayList{"R", "\r", "\n", "A", "\r", "\n"} << QByteArrayList{"R", "A"};
    QTest::newRow("no end yet") << QByteArrayList{"M010"} << QByteArrayList{};
    QTest::newRow("blank lines dropped")
        << QByteArrayList{"\r\n\r\n\n\r", "\n"} << QByteArrayList{};
    QTest::newRow("binary kept") << QByteArrayList{QByteArray("x\0y\r\n", 5)}
                                 << QByteArrayList{QByteArray("x\0y", 3)};
    QTest::newRow("overlong line cut, next line intact")
        << QByteArrayList{QByteArray(300, 'x'), QByteArray(300, 'y') + "\r\nA\r\n"}
        << QByteArrayList{QByteArray(256, 'x'), "A"};
}

void TestSimProtocol::splitsLines() {
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArrayList, lines);

    LineSplitter splitter;
    QByteArrayList got;
    for (const QByteArray& chunk : chunks) {
        for (const std::string& line : splitter.feed(std::string_view(chunk.data(), chunk.size())))
            got << QByteArray::fromStdString(line);
    }
    QCOMPARE(got, lines);
}

void TestSimProtocol::parsesCommands_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("bearing");

    using K = Command::Kind;
    QTest::newRow("L") << QByteArray("L") << true << int(K::TurnLeft) << 0;
    QTest::newRow("R") << QByteArray("R") << true << int(K::TurnRight) << 0;
    QTest::newRow("A") << QByteArray("A") << true << int(K::Stop) << 0;
    QTest::newRow("M000") << QByteArray("M000") << true << int(K::MoveTo) << 0;
    QTest::newRow("M045") << QByteArray("M045") << true << int(K::MoveTo) << 45;
    QTest::newRow("M450") << QByteArray("M450") << true << int(K::MoveTo) << 450;
    QTest::newRow("M999") << QByteArray("M999") << true << int(K::MoveTo) << 999;
    const QByteArrayList ignored{"",    "l",     "r",    "a",    "m010",   "M",
                                 "M10", "M0100", "M-10", "M+10", "M 10",   "M1a0",
                                 " L",  "L ",    "LL",   "AZ",   "AZ=010", QByteArray("M01\0", 4)};
    for (const QByteArray& line : ignored)
        QTest::addRow("ignored '%s'", line.toPercentEncoding().constData())
            << line << false << 0 << 0;
}

void TestSimProtocol::parsesCommands() {
    QFETCH(QByteArray, line);
    QFETCH(bool, valid);
    QFETCH(int, kind);
    QFETCH(int, bearing);

    const auto command = parseCommand(std::string_view(line.data(), line.size()));
    QCOMPARE(command.has_value(), valid);
    if (valid) {
        QCOMPARE(int(command->kind), kind);
        QCOMPARE(command->bearing, bearing);
    }
}

void TestSimProtocol::formatsReports_data() {
    QTest::addColumn<int>("azimuth");
    QTest::addColumn<QByteArray>("report");

    QTest::newRow("0") << 0 << QByteArray("AZ=000\r\n");
    QTest::newRow("5") << 5 << QByteArray("AZ=005\r\n");
    QTest::newRow("359") << 359 << QByteArray("AZ=359\r\n");
    QTest::newRow("360") << 360 << QByteArray("AZ=360\r\n");
    QTest::newRow("450") << 450 << QByteArray("AZ=450\r\n");
    QTest::newRow("negative clamped") << -3 << QByteArray("AZ=000\r\n");
    QTest::newRow("four digits clamped") << 1000 << QByteArray("AZ=999\r\n");
}

void TestSimProtocol::formatsReports() {
    QFETCH(int, azimuth);
    QFETCH(QByteArray, report);
    QCOMPARE(QByteArray::fromStdString(formatReport(azimuth)), report);
}

void TestSimProtocol::escapesLogText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("escaped");

    QTest::newRow("plain") << QByteArray("M010") << QByteArray("M010");
    QTest::newRow("control and high bytes")
        << QByteArray("a\x01\x7f\xff", 4) << QByteArray("a\\x01\\x7F\\xFF");
    QTest::newRow("NUL") << QByteArray("\0", 1) << QByteArray("\\x00");
    QTest::newRow("backslash") << QByteArray("\\x41") << QByteArray("\\\\x41");
}

void TestSimProtocol::escapesLogText() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, escaped);
    QCOMPARE(QByteArray::fromStdString(escapeForLog(std::string_view(text.data(), text.size()))),
             escaped);
}

void TestSimProtocol::noiseNeverFormsAReport_data() {
    QTest::addColumn<quint64>("seed");
    for (const quint64 seed : {0ULL, 1ULL, 42ULL, 20240601ULL, ~0ULL})
        QTest::addRow("seed %llu", seed) << seed;
}

void TestSimProtocol::noiseNeverFormsAReport() {
    QFETCH(quint64, seed);

    NoiseGenerator noise(seed);
    std::string stream;
    for (int i = 0; i < 50000; ++i)
        stream += noise.burst();
    const qsizetype at = findReport(stream);
    QVERIFY2(at < 0, around(stream, at).constData());

    // The noise has to stay varied, or the check above proves nothing.
    QVERIFY(stream.find("AZ=") != std::string::npos);
    QVERIFY(stream.find("az=") != std::string::npos);
    QVERIFY(stream.find("AZ=12\r\n") != std::string::npos ||
            stream.find("AZ=1\r\n") != std::string::npos);
    bool loneA = false;
    for (std::size_t i = 0; i + 1 < stream.size() && !loneA; ++i)
        loneA = stream[i] == 'A' && stream[i + 1] != 'Z' && stream[i + 1] != 'A';
    QVERIFY(loneA);
}

void TestSimProtocol::noiseDoesNotCompleteACutReport_data() {
    QTest::addColumn<QByteArray>("cut");
    QTest::newRow("AZ=") << QByteArray("AZ=");
    QTest::newRow("AZ=1") << QByteArray("AZ=1");
    QTest::newRow("AZ=12") << QByteArray("AZ=12");
    QTest::newRow("after a report") << QByteArray("AZ=123\r\nAZ=04");
}

void TestSimProtocol::noiseDoesNotCompleteACutReport() {
    QFETCH(QByteArray, cut);

    const std::string sent = cut.toStdString();
    const std::size_t reportsEnd = sent.rfind('\n') == std::string::npos ? 0 : sent.rfind('\n') + 1;
    for (quint64 seed = 0; seed < 3000; ++seed) {
        NoiseGenerator noise(seed);
        noise.observe(sent);
        std::string stream = sent.substr(reportsEnd);
        stream += noise.burst();
        stream += noise.burst();
        const qsizetype at = findReport(stream);
        QVERIFY2(at < 0,
                 qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(around(stream, at))));
    }
}

void TestSimProtocol::noiseIsReproducible() {
    NoiseGenerator a(7), b(7), c(8);
    std::string streamA, streamB, streamC;
    for (int i = 0; i < 1000; ++i) {
        streamA += a.burst();
        streamB += b.burst();
        streamC += c.burst();
    }
    QCOMPARE(streamA, streamB);
    QVERIFY(streamA != streamC);
}

QTEST_GUILESS_MAIN(TestSimProtocol)
#include "tst_sim_protocol.moc"
