#include "app/Program.h"

#include "app/Logging.h"
#include "net/Listening.h"
#include "net/N1mmListener.h"
#include "net/PstListener.h"
#include "net/RotatorServer.h"
#include "platform/LineTrace.h"
#include "platform/PlatformError.h"

#include <QApplication>

namespace roteka {

Program::Program(MessageBoxes* messageBoxes)
    : control(link, settings, devices, messageBoxes ? *messageBoxes : messages),
      presets(configFilePath(), messageBoxes ? *messageBoxes : messages),
      window(control, pointer, presets), shownMessages_(messageBoxes ? *messageBoxes : messages) {}

Program::~Program() {
    serial.setTrace(nullptr);
}

void Program::start(const Options& options) {
    QApplication::setWindowIcon(window.windowIcon());
    messages.setParent(&window);
    if (!options.problems.isEmpty()) {
        QStringList lines{QStringLiteral("設定ファイルの次の値を使えませんでした。"), QString()};
        lines += options.problems;
        lines += {QString(), QStringLiteral("これらの機能なしで動作を続けます。")};
        shownMessages_.show(lines.join(QStringLiteral("\r\n")));
    }
    if (options.trace) {
        try {
            trace = std::make_unique<FileLineTrace>(*options.trace);
            serial.setTrace(trace.get());
        } catch (const PlatformError& error) {
            qCWarning(lcApp).noquote() << "cannot write the trace to" << error.message();
            shownMessages_.show(messageLines(
                {QStringLiteral("通信の記録（トレース）を書き込めません。"), error.message(),
                 QString(), QStringLiteral("記録なしで動作を続けます。")}));
        }
    }
    requests.setStation(window.station());
    presets.load();
    control.startUp();
    if (options.listen)
        server = listenFor(requests, options.listen->host, options.listen->port, shownMessages_);
    if (options.n1mm) {
        n1mm = std::make_unique<N1mmListener>(requests, options.rotorName);
        if (!bindOrReport(*n1mm, options.n1mm->host, options.n1mm->port, shownMessages_))
            n1mm.reset();
    }
    if (options.pst) {
        pst = std::make_unique<PstListener>(requests);
        if (!bindOrReport(*pst, options.pst->host, options.pst->port, shownMessages_))
            pst.reset();
    }
    window.show();
}

} // namespace roteka
