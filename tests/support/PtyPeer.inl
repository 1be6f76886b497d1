#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace roteka::test {

template <class Condition> bool waitFor(Condition&& condition, int timeoutMilliseconds) {
    QDeadlineTimer deadline(timeoutMilliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
    return true;
}

} // namespace roteka::test
