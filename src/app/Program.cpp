#include "app/Program.h"

#include "app/Logging.h"
#include "net/RotatorServer.h"
#include "platform/LineTrace.h"
#include "platform/PlatformError.h"

#include <QApplication>

#include <cstdio>

namespace roteka {

Program::Program(MessageBoxes* messageBoxes)
    : control(link, settings, devices, messageBoxes ? *messageBoxes : messages),
      window(control, pointer), shownMessages_(messageBoxes ? *messageBoxes : messages) {}

Program::~Program() {
    serial.setTrace(nullptr);
}

void Program::start(const Options& options) {
    QApplication::setWindowIcon(window.windowIcon());
    messages.setParent(&window);
    if (options.trace) {
        try {
            trace = std::make_unique<FileLineTrace>(*options.trace);
            serial.setTrace(trace.get());
        } catch (const PlatformError& error) {
            qCWarning(lcApp).noquote() << "no trace:" << error.message();
            std::fprintf(stderr, "roteka: cannot write the trace to %s\n",
                         qPrintable(error.message()));
        }
    }
    control.startUp();
    if (options.listen)
        server = listenFor(requests, options.listen->host, options.listen->port, shownMessages_);
    window.show();
}

} // namespace roteka
