#include "app/QtPlatform.h"

#include "net/RotatorServer.h"

#include <QApplication>

namespace roteka {

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

void QtPlatform::start(Form1& form, const Options& options) {
    QApplication::setWindowIcon(form.windowIcon());
    messages.setParent(&form);
    form.Form_Load();
    if (options.listen)
        server = listenFor(form, *options.listen, messages);
    form.show();
}

} // namespace roteka
