// Soak: a million replies with line noise between them through the receive handler, then a
// shorter run over a real pseudo-terminal. Every reply is shown, in order, and resident memory
// stays flat.
#include "FakePlatform.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"
#include "ui/CaptionLabel.h"

#include <QFile>
#include <QtTest>

#include <random>
#include <unistd.h>

#ifdef __SANITIZE_ADDRESS__
// Freed memory held back by the address sanitizer to catch use after free would read as growth:
// its quarantine is shared and, besides, a megabyte a thread.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=0:thread_local_quarantine_size_kb=0";
}
#endif

using namespace roteka;
using namespace roteka::test;

namespace {

int azimuthOf(long long i) {
    return int(i % 359) + 1;
}

constexpr char Alphabet[] = "AA==0123456789\r\n az=xX\0\xff";

// Line noise that never forms a reply (it holds no "Z": lone "A"s, "=", digits, line ends,
// lower-case replies, NUL and 0xFF), then the i-th reply.
class NoisyLine {
public:
    explicit NoisyLine(unsigned seed) : random_(seed) {
        for (int azimuth = 0; azimuth < 360; ++azimuth)
            replies_.append(
                QStringLiteral("AZ=%1\r\n").arg(azimuth, 3, 10, QLatin1Char('0')).toLatin1());
    }
    const QByteArray& next(long long i) {
        bytes_.clear();
        for (int n = length_(random_); n > 0; --n)
            bytes_.append(Alphabet[pick_(random_)]);
        bytes_.append(replies_[azimuthOf(i)]);
        return bytes_;
    }

private:
    std::mt19937 random_;
    std::uniform_int_distribution<int> length_{0, 12};
    std::uniform_int_distribution<int> pick_{0, int(sizeof Alphabet) - 2};
    QList<QByteArray> replies_;
    QByteArray bytes_;
};

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

// Counts the caption's changes and the ones that did not show the reply expected next.
struct ReplyCheck {
    explicit ReplyCheck(CaptionLabel* label) : label(label) {
        QObject::connect(label, &CaptionLabel::change, [this] {
            if (this->label->text() != QString::number(azimuthOf(shown)))
                ++wrong;
            ++shown;
        });
    }
    CaptionLabel* label;
    long long shown = 0;
    long long wrong = 0;
};

} // namespace

class SoakTest : public QObject {
    Q_OBJECT
private slots:
    void millionNoisyReplies();
    void noisyRepliesOverAPseudoTerminal();
};

void SoakTest::millionNoisyReplies() {
    constexpr long long WarmUp = 50000;
    constexpr long long Replies = 1000000;
    TestDirectory dir;
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), "3,9600,N,8,1:0\r\n");
    FakePlatform platform;
    Form1 form(platform.services());
    form.Form_Load();
    form.show();
    QVERIFY(platform.serial.portOpen());
    ReplyCheck check(form.Label4);
    NoisyLine line(20261206);

    long long i = 0;
    for (; i < WarmUp; ++i)
        platform.serial.feed(line.next(i));
    QCoreApplication::processEvents();
    const qint64 before = residentBytes();
    for (; i < WarmUp + Replies; ++i) {
        platform.serial.feed(line.next(i));
        if (i % 10000 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const qint64 growth = residentBytes() - before;

    QCOMPARE(check.shown, WarmUp + Replies);
    QCOMPARE(check.wrong, 0);
    QVERIFY2(growth < 2 * 1024 * 1024,
             qPrintable(QStringLiteral("resident memory grew by %1 KiB").arg(growth / 1024)));
    QVERIFY(form.ReceiveBuffer.size() < 6);
}

void SoakTest::noisyRepliesOverAPseudoTerminal() {
    constexpr long long Replies = 20000;
    PtyStation station(18, "18,115200,N,8,1:0\r\n");
    station.form->show();
    QVERIFY(station.platform.serial.portOpen());
    ReplyCheck check(station.form->Label4);
    NoisyLine line(7);

    long long i = 0;
    while (i < Replies) {
        QByteArray chunk;
        while (chunk.size() < 2000 && i < Replies)
            chunk += line.next(i++);
        station.controller->write(chunk);
        QVERIFY2(waitFor([&] { return check.shown == i; }),
                 qPrintable(QStringLiteral("%1 of %2 replies shown").arg(check.shown).arg(i)));
    }
    QCOMPARE(check.wrong, 0);
    QCOMPARE(station.messages.shown, QStringList());
}

QTEST_MAIN(SoakTest)
#include "test_faults_soak.moc"
