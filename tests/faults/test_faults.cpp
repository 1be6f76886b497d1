// Faults: a long noisy soak, and long random runs of drawing on the map box.
#include "Stations.h"

#include <QFile>
#include <QPainter>

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

int azimuthOf(long long i) {
    return int(i % 359) + 1;
}

// Line noise that never forms a reply (no "Z": lone "A"s, "=", digits, line ends, lower-case
// replies, NUL and 0xFF), then the i-th reply; the caption's changes that did not show it.
QByteArray noisyReply(std::mt19937& random, long long i) {
    static constexpr char Alphabet[] = "AA==0123456789\r\n az=xX\0\xff";
    QByteArray bytes;
    for (int n = std::uniform_int_distribution<int>(0, 12)(random); n > 0; --n)
        bytes.append(Alphabet[std::uniform_int_distribution<int>(0, sizeof Alphabet - 2)(random)]);
    return bytes +
           QStringLiteral("AZ=%1\r\n").arg(azimuthOf(i), 3, 10, QLatin1Char('0')).toLatin1();
}
struct ReplyCheck {
    explicit ReplyCheck(CaptionLabel* label) {
        QObject::connect(label, &CaptionLabel::change, [this, label] {
            wrong += label->text() != QString::number(azimuthOf(shown++));
        });
    }
    long long shown = 0, wrong = 0;
};

qint64 residentBytes() {
    QFile statm("/proc/self/statm");
    return statm.open(QIODevice::ReadOnly)
               ? statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE)
               : -1;
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT
private slots:
    // A million replies with noise between them through the receive handler: every one is shown,
    // in order, and resident memory stays flat.
    void noisySoak() {
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
            before = i == WarmUp ? residentBytes() : before;
        }
        QCoreApplication::processEvents();
        const qint64 growth = residentBytes() - before;
        QCOMPARE(QStringLiteral("%1 shown, %2 wrong").arg(check.shown).arg(check.wrong),
                 "1050000 shown, 0 wrong");
        QVERIFY2(growth < 2 * 1024 * 1024,
                 qPrintable(QStringLiteral("grew by %1 KiB").arg(growth / 1024)));
        QVERIFY(w.form.ReceiveBuffer.size() < 6);
    }

    // The map box keeps shapes as the pixels they cover and a clear puts back only what drawing
    // touched: long random runs must leave exactly the pixels that plain painting gives (a clear
    // copies the whole picture back, every shape is painted with QPainter). Seed 1: the pointers
    // as the window draws them; 2 and 3: shapes anywhere, any width, colours that cannot be kept
    // as pixels (translucent, finer than 8 bits).
    void drawingMatchesPlainPainting() {
        QImage picture(200, 200, QImage::Format_RGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                picture.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
        // clang-format off
        const QList<QColor> colours{QColor(0, 192, 0), QColor(255, 192, 128), QColor(0, 0, 255), Qt::black, Qt::white,
                                    QColor(255, 0, 0, 128), QColor::fromRgbF(0.3f, 0.61f, 0.77f), QColor::fromHsv(200, 255, 255)};
        // clang-format on
        for (const unsigned seed : {1u, 2u, 3u}) {
            PictureBox box;
            box.resize(204, 204);
            box.setPicture(picture);
            const QImage base = box.persistentImage().copy();
            QImage persistent = base, screen;
            bool screenOnly = false, autoRedraw = false;
            QPen pen(Qt::black, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            const auto paint = [&](auto&& draw) {
                if (!autoRedraw && !screenOnly)
                    screen = persistent.copy();
                screenOnly = !autoRedraw;
                QPainter painter(autoRedraw ? &persistent : &screen);
                painter.setPen(pen);
                draw(painter);
            };
            std::mt19937 random(seed);
            const auto uniform = [&](double low, double high) {
                return std::uniform_real_distribution<double>(low, high)(random);
            };
            const auto pick = [&](int count) {
                return std::uniform_int_distribution<int>(0, count - 1)(random);
            };
            const auto setPen = [&](int width, const QColor& colour) {
                box.setDrawWidth(width);
                box.setForeColor(colour);
                pen.setWidth(width);
                pen.setColor(colour);
            };
            const auto line = [&](QPointF from, QPointF to) {
                box.line(from, to);
                paint([&](QPainter& p) { p.drawLine((from / 15).toPoint(), (to / 15).toPoint()); });
            };
            const auto circle = [&](QPointF centre, double radius) {
                box.circle(centre, radius);
                paint([&](QPainter& p) { p.drawEllipse(centre / 15, radius / 15, radius / 15); });
            };
            const auto cls = [&] {
                box.cls();
                persistent = base;
                screenOnly = false;
            };
            const QPointF centre(1530, 1530);
            for (int step = 0; step < 3000; ++step) {
                const int choice = seed == 1 ? 8 : pick(8);
                if (choice == 0) {
                    cls();
                } else if (choice == 1) {
                    box.setAutoRedraw(autoRedraw = pick(2) == 1);
                } else if (choice == 2) {
                    setPen(1 + pick(8), pen.color());
                } else if (choice == 3) {
                    setPen(pen.width(), colours[pick(int(colours.size()))]);
                } else if (choice < 6) {
                    line({uniform(-600, 3600), uniform(-600, 3600)},
                         {uniform(-600, 3600), uniform(-600, 3600)});
                } else if (choice < 8) {
                    circle({uniform(-600, 3600), uniform(-600, 3600)}, uniform(-300, 2500));
                } else {
                    const double a = pick(360) * M_PI / 180.0;
                    box.setAutoRedraw(autoRedraw = true);
                    cls();
                    setPen(4, colours[0]);
                    line(centre, centre + QPointF(1300 * std::sin(a / 2), -1300 * std::cos(a / 2)));
                    setPen(3, colours[1]);
                    circle(centre, 150);
                    setPen(3, colours[2]);
                    line(centre, centre + QPointF(1400 * std::sin(a), -1400 * std::cos(a)));
                }
                if (box.screenImage() != (screenOnly ? screen : persistent) ||
                    box.persistentImage() != persistent)
                    QFAIL(qPrintable(QStringLiteral("seed %1: the pictures differ after step %2")
                                         .arg(seed)
                                         .arg(step)));
            }
        }
    }
};

QTEST_MAIN(FaultsTest)
#include "test_faults.moc"
