// roteka-bench-window: the program's window on the real platform services, started exactly as
// the program starts it, for the start-up and line-rate benchmarks.
//   --first-paint  prints "SHOWN <monotonic ns> <peak RSS KiB>" once the first paint has been
//   processed, exits
//   --serve        prints "READY" after the first paint, then obeys lines on standard input:
//                  "MARK" restarts the counters, "REPORT" prints them and exits
//   --serve OPTION...  the same, with the program's own options after it (--listen, --trace, ...)
#include "Measure.h"

#include "app/Program.h"
#include "ui/PictureBox.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace {

// Responsibilities: counts paint events of the watched widgets and notices the first one.
class PaintWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (watched == picture)
                ++picturePaints;
            else if (watched == label)
                ++labelPaints;
            if (!painted) {
                painted = true;
                QTimer::singleShot(0, this, [this] { firstPaint(); });
            }
        }
        return false;
    }

    QObject* picture = nullptr;
    QObject* label = nullptr;
    bool painted = false;
    long long picturePaints = 0;
    long long labelPaints = 0;
    std::function<void()> firstPaint;
};

} // namespace

int main(int argc, char* argv[]) {
    const bool serve = argc > 1 && std::strcmp(argv[1], "--serve") == 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("roteka"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    roteka::Program program;
    roteka::MainWindow& window = program.window;

    PaintWatch watch;
    watch.picture = window.findChild<roteka::PictureBox*>("mapBox");
    watch.label = window.findChild<QLabel*>("azimuthLabel");
    window.installEventFilter(&watch);
    watch.picture->installEventFilter(&watch);
    watch.label->installEventFilter(&watch);
    long long changes = 0;
    QObject::connect(&program.control, &roteka::OperatorControl::azimuthChanged,
                     [&] { ++changes; });

    roteka::bench::CommandInput input([&](const std::string& line) {
        if (line == "MARK") {
            watch.picturePaints = watch.labelPaints = changes = 0;
            std::printf("MARKED %lld\n", static_cast<long long>(roteka::bench::nowNs()));
        } else if (line == "REPORT") {
            std::printf("PAINTS picture=%lld label=%lld changes=%lld port=%d\n",
                        watch.picturePaints, watch.labelPaints, changes,
                        program.serial.isOpen() ? 1 : 0);
            QApplication::quit();
        }
    });
    input.setEnabled(false);

    watch.firstPaint = [&] {
        if (serve) {
            std::printf("READY port=%d\n", program.serial.isOpen() ? 1 : 0);
            input.setEnabled(true);
        } else {
            std::printf("SHOWN %lld %lld\n", static_cast<long long>(roteka::bench::nowNs()),
                        roteka::bench::peakResidentKiB());
            QApplication::quit();
        }
        std::fflush(stdout);
    };
    QStringList arguments{QStringLiteral("roteka")};
    for (int i = serve ? 2 : 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const auto options = roteka::parseCommandLine(arguments);
    if (std::holds_alternative<int>(options))
        return std::get<int>(options);
    program.start(std::get<roteka::Options>(options));
    return QApplication::exec();
}
