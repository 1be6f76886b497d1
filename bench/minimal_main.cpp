// roteka-bench-minimal: the baselines of the process benchmarks, with nothing of the program.
//   --first-paint [--japanese]
//                      a minimal widgets window (one label, in Japanese if asked) started the
//                      way the program starts its window; prints "SHOWN <monotonic ns> <peak RSS
//                      KiB>" after its first paint, exits
//   --serve DEVICE     the serial transport alone: reads DEVICE through QSerialPort and
//                      throws the bytes away; "READY", then "MARK" / "REPORT" on standard input
#include "Measure.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Responsibilities: notices the first paint event of the watched window.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            QTimer::singleShot(0, this, [] {
                std::printf("SHOWN %lld %lld\n", static_cast<long long>(roteka::bench::nowNs()),
                            roteka::bench::peakResidentKiB());
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return false;
    }
    bool painted = false;
};

int serveTransport(const char* device) {
    QSerialPort port(QString::fromLocal8Bit(device));
    if (!port.open(QIODevice::ReadWrite))
        return 1;
    port.setBaudRate(115200);
    long long bytes = 0;
    QObject::connect(&port, &QSerialPort::readyRead, [&] { bytes += port.readAll().size(); });

    roteka::bench::CommandInput input([&](const std::string& line) {
        if (line == "MARK") {
            bytes = 0;
            std::printf("MARKED %lld\n", static_cast<long long>(roteka::bench::nowNs()));
        } else if (line == "REPORT") {
            std::printf("BYTES %lld\n", bytes);
            QCoreApplication::quit();
        }
    });
    std::printf("READY port=1\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--serve") == 0)
        return serveTransport(argv[2]);

    QApplication::setStyle(QStringLiteral("Fusion"));
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    const bool japanese = argc > 2 && std::strcmp(argv[2], "--japanese") == 0;
    layout->addWidget(
        new QLabel(japanese ? QStringLiteral("設定角度 ＝ 000") : QStringLiteral("000"), &window));
    FirstPaint watch;
    window.installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}
