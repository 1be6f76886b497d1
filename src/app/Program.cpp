#include "app/Program.h"

#include "net/RotatorServer.h"

#include <QApplication>

namespace roteka {

Program::Program(MessageBoxes* messageBoxes)
    : control(serial, devices, messageBoxes ? *messageBoxes : messages), window(control, pointer),
      shownMessages_(messageBoxes ? *messageBoxes : messages) {}

Program::~Program() = default;

void Program::start(const Options& options) {
    QApplication::setWindowIcon(window.windowIcon());
    messages.setParent(&window);
    control.startUp();
    if (options.listen)
        server = listenFor(control, options.listen->host, options.listen->port, shownMessages_);
    window.show();
}

} // namespace roteka
