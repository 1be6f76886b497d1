#include "app/QtPlatform.h"

#include <QApplication>

namespace roteka {

void QtPlatform::start(Form1& form) {
    QApplication::setWindowIcon(form.windowIcon());
    messages.setParent(&form);
    form.Form_Load();
    form.show();
}

} // namespace roteka
