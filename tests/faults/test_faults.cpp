// Faults: the device vanishing in the middle of a stream, a second ROTEKA on the same port, a
// long noisy soak, and long random runs of drawing on the map box.
#include "Stations.h"

#include "ui/CaptionLabel.h"
#include "ui/PictureBox.h"

#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QtTest>

#include <cmath>
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

// What a second instance printed about its start: its messages, then its status.
QString startInstance(QProcess& process, const TestDirectory& dir, bool hold) {
    process.start(QStringLiteral(ROTEKA_FAULTS_INSTANCE),
                  hold ? QStringList{dir.path(), QStringLiteral("--hold")}
                       : QStringList{dir.path()});
    QString report;
    while (!report.contains(QLatin1String("STATUS ")) && process.waitForReadyRead(10000))
        report += QString::fromUtf8(process.readAll());
    return report;
}

int azimuthOf(long long i) {
    return int(i % 359) + 1;
}

// Line noise that never forms a reply (it holds no "Z": lone "A"s, "=", digits, line ends,
// lower-case replies, NUL and 0xFF), then the i-th reply.
QByteArray noisyReply(std::mt19937& random, long long i) {
    static constexpr char Alphabet[] = "AA==0123456789\r\n az=xX\0\xff";
    QByteArray bytes;
    for (int n = std::uniform_int_distribution<int>(0, 12)(random); n > 0; --n)
        bytes.append(Alphabet[std::uniform_int_distribution<int>(0, sizeof Alphabet - 2)(random)]);
    return bytes +
           QStringLiteral("AZ=%1\r\n").arg(azimuthOf(i), 3, 10, QLatin1Char('0')).toLatin1();
}

// Counts the azimuth caption's changes and those that did not show the reply expected next.
struct ReplyCheck {
    explicit ReplyCheck(CaptionLabel* label) {
        QObject::connect(label, &CaptionLabel::change, [this, label] {
            wrong += label->text() != QString::number(azimuthOf(shown++));
        });
    }
    long long shown = 0;
    long long wrong = 0;
};

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    return statm.open(QIODevice::ReadOnly)
               ? statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE)
               : -1;
}

// The map box's drawing model done the plain way: a clear copies the whole picture back, and
// every shape is painted with QPainter.
struct PlainBox {
    explicit PlainBox(const QImage& base) : base(base), persistent(base) {}
    template <class Draw> void paint(Draw&& draw) {
        QImage* target = &persistent;
        if (autoRedraw) {
            screenOnly = false;
        } else {
            if (!screenOnly)
                screen = persistent.copy();
            screenOnly = true;
            target = &screen;
        }
        QPainter painter(target);
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        draw(painter);
    }
    const QImage& shown() const { return screenOnly ? screen : persistent; }
    QImage base, persistent, screen;
    bool screenOnly = false, autoRedraw = false;
    int width = 1;
    QColor colour;
};

QPoint pixel(QPointF twips) {
    return {int(std::lround(twips.x() / 15)), int(std::lround(twips.y() / 15))};
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT
private slots:
    // The simulator is killed in the middle of its replies: the window shows the closed port at
    // once and keeps running; after a new controller comes up, connect brings the replies back.
    void deviceVanishes_data() {
        QTest::addColumn<QStringList>("line");
        QTest::newRow("clean line") << QStringList();
        QTest::newRow("noisy line, replies in pieces") << QStringList{"--garbage", "--split"};
    }
    void deviceVanishes() {
        QFETCH(QStringList, line);
        const QStringList fast{"--speed", "150", "--moving-interval", "10", "--idle-interval", "10",
                               "--seed",  "7"};
        TestDirectory dir;
        auto sim = std::make_unique<Simulator>(dir, 15, fast + line);
        QVERIFY(sim->bound);
        dir.writeFile(QStringLiteral("ROTEKA.DAT"), "15,9600,N,8,1:0\r\n");
        RealWindow window;
        Form1& form = *window.form;
        form.Form_Load();
        int changes = 0;
        connect(form.Label4, &CaptionLabel::change, this, [&] { ++changes; });
        form.Command3->click();
        QVERIFY(waitFor([&] { return changes >= 5; }));
        sim.reset();
        QVERIFY(waitFor([&] { return !window.platform.serial.portOpen(); }, 2000));
        QCOMPARE(form.Label1->text() + form.Command6->text(), "port = False接続");
        const QString lastShown = form.Label4->text();
        form.Command1->click();
        QCOMPARE(form.Label1->text() + form.Label4->text(), "port = False" + lastShown);

        sim = std::make_unique<Simulator>(dir, 15, fast + line);
        QVERIFY(sim->bound);
        form.Command6->click();
        QCOMPARE(form.Label1->text(), QStringLiteral("Port = True"));
        const int before = changes;
        form.Command3->click();
        QVERIFY(sim->received("R"));
        QVERIFY(waitFor([&] { return changes >= before + 5; }));
        QCOMPARE(window.messages.shown, QStringList());
    }

    // A second ROTEKA on the same port gets the start-up failure report, and the first keeps
    // its link (replies arriving or not); when the first one quits, the second connects.
    void secondInstance_data() {
        QTest::addColumn<bool>("streaming");
        QTest::newRow("first idle") << false;
        QTest::newRow("first receiving replies") << true;
    }
    void secondInstance() {
        QFETCH(bool, streaming);
        PtyStation first(16);
        if (streaming)
            first.controller->write("AZ=010\r\nAZ=011\r\nAZ=01");
        QProcess second;
        const QString report = startInstance(second, first.dir, false);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(report, "MESSAGE " + QString(FailureReport).replace("\r\n", "\\r\\n") +
                             "\nSTATUS |接続|0\n");
        first.controller->write("2\r\nAZ=077\r\n");
        QVERIFY(waitFor([&] { return first.form->Label4->text() == QStringLiteral("77"); }));
        QCOMPARE(first.form->Label1->text(), QStringLiteral("Port = True"));
        first.form->Command1->click();
        QCOMPARE(first.controller->readUntil(3, 2000), QByteArray("L\r\n"));
        QCOMPARE(first.messages.shown, QStringList());
    }
    void secondConnectsWhenTheFirstQuits() {
        BoundController link(17);
        link.writeSettings();
        QProcess first;
        QCOMPARE(startInstance(first, link.dir, true), "STATUS Port = True|切断|1\n");
        RealWindow second;
        second.form->Form_Load();
        QCOMPARE(second.messages.shown, QStringList{FailureReport});
        first.closeWriteChannel();
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
        second.form->Command6->click();
        QCOMPARE(second.form->Label1->text(), QStringLiteral("Port = True"));
        link.controller->write("AZ=200\r\n");
        QVERIFY(waitFor([&] { return second.form->Label4->text() == QStringLiteral("200"); }));
    }

    // A million replies with line noise between them through the receive handler: every one is
    // shown, in order, and resident memory stays flat.
    void millionNoisyReplies() {
        constexpr long long WarmUp = 50000, Replies = 1000000;
        FakeStation w;
        w.form.show();
        ReplyCheck check(w.form.Label4);
        std::mt19937 random(20261206);
        qint64 before = 0;
        for (long long i = 0; i < WarmUp + Replies; ++i) {
            w.platform.serial.feed(noisyReply(random, i));
            if (i % 10000 == 0)
                QCoreApplication::processEvents();
            if (i == WarmUp - 1)
                before = residentBytes();
        }
        QCoreApplication::processEvents();
        const qint64 growth = residentBytes() - before;
        QCOMPARE(check.shown, WarmUp + Replies);
        QCOMPARE(check.wrong, 0);
        QVERIFY2(growth < 2 * 1024 * 1024,
                 qPrintable(QStringLiteral("grew by %1 KiB").arg(growth / 1024)));
        QVERIFY(w.form.ReceiveBuffer.size() < 6);
    }

    void noisyRepliesOverAPseudoTerminal() {
        constexpr long long Replies = 20000;
        PtyStation station(18, "18,115200,N,8,1:0\r\n");
        station.form->show();
        ReplyCheck check(station.form->Label4);
        std::mt19937 random(7);
        for (long long i = 0; i < Replies;) {
            QByteArray chunk;
            while (chunk.size() < 2000 && i < Replies)
                chunk += noisyReply(random, i++);
            station.controller->write(chunk);
            QVERIFY2(waitFor([&] { return check.shown == i; }),
                     qPrintable(QStringLiteral("%1 of %2 shown").arg(check.shown).arg(i)));
        }
        QCOMPARE(check.wrong, 0);
        QCOMPARE(station.messages.shown, QStringList());
    }

    // The map box keeps shapes as the pixels they cover and a clear puts back only what drawing
    // touched: long random runs must leave exactly the pixels that plain painting gives. Pointers:
    // a clear, then the same few shapes at the centre, as the window draws them. Anything: shapes
    // anywhere (also off the box), any width, colours that cannot be kept as pixels.
    void drawingMatchesPlainPainting_data() {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<bool>("pointersOnly");
        QTest::newRow("pointers") << 1u << true;
        QTest::newRow("anything, seed 2") << 2u << false;
        QTest::newRow("anything, seed 3") << 3u << false;
    }
    void drawingMatchesPlainPainting() {
        QFETCH(unsigned, seed);
        QFETCH(bool, pointersOnly);
        QImage picture(200, 200, QImage::Format_RGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                picture.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
        PictureBox box;
        box.resize(204, 204);
        box.setPicture(picture);
        PlainBox plain(box.persistentImage().copy());
        const QList<QColor> colours{QColor(0, 192, 0),
                                    QColor(255, 192, 128),
                                    QColor(0, 0, 255),
                                    Qt::black,
                                    Qt::white,
                                    QColor(255, 0, 0, 128),
                                    QColor::fromRgbF(0.3f, 0.61f, 0.77f),
                                    QColor::fromHsv(200, 255, 255)};
        std::mt19937 random(seed);
        const auto uniform = [&](double low, double high) {
            return std::uniform_real_distribution<double>(low, high)(random);
        };
        const auto pick = [&](int count) {
            return std::uniform_int_distribution<int>(0, count - 1)(random);
        };
        const auto pen = [&](int width, const QColor& colour) {
            box.setDrawWidth(plain.width = width);
            box.setForeColor(plain.colour = colour);
        };
        const auto line = [&](QPointF from, QPointF to) {
            box.line(from, to);
            plain.paint([&](QPainter& p) { p.drawLine(pixel(from), pixel(to)); });
        };
        const auto circle = [&](QPointF centre, double radius) {
            box.circle(centre, radius);
            plain.paint([&](QPainter& p) { p.drawEllipse(centre / 15, radius / 15, radius / 15); });
        };
        const auto cls = [&] {
            box.cls();
            plain.persistent = plain.base;
            plain.screenOnly = false;
        };
        const QPointF centre(1530, 1530);
        for (int step = 0; step < 3000; ++step) {
            const int choice = pointersOnly ? 8 : pick(8);
            if (choice == 0) {
                cls();
            } else if (choice == 1) {
                box.setAutoRedraw(plain.autoRedraw = pick(2) == 1);
            } else if (choice == 2) {
                pen(1 + pick(8), plain.colour);
            } else if (choice == 3) {
                pen(plain.width, colours[pick(int(colours.size()))]);
            } else if (choice < 6) {
                line({uniform(-600, 3600), uniform(-600, 3600)},
                     {uniform(-600, 3600), uniform(-600, 3600)});
            } else if (choice < 8) {
                circle({uniform(-600, 3600), uniform(-600, 3600)}, uniform(-300, 2500));
            } else {
                const double a = pick(360) * M_PI / 180.0;
                box.setAutoRedraw(plain.autoRedraw = true);
                cls();
                pen(4, colours[0]);
                line(centre, centre + QPointF(1300 * std::sin(a / 2), -1300 * std::cos(a / 2)));
                pen(3, colours[1]);
                circle(centre, 150);
                pen(3, colours[2]);
                line(centre, centre + QPointF(1400 * std::sin(a), -1400 * std::cos(a)));
            }
            if (box.screenImage() != plain.shown() || box.persistentImage() != plain.persistent)
                QFAIL(qPrintable(QStringLiteral("the pictures differ after step %1").arg(step)));
        }
    }
};

QTEST_MAIN(FaultsTest)
#include "test_faults.moc"
