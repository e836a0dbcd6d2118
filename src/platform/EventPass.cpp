#include "platform/EventPass.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace platform {

namespace {
std::atomic<quint64> gPassCount{0};
}

void DoEvents()
{
    ++gPassCount;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void DoEventsWaiting(int maxWaitMs)
{
    ++gPassCount;
    if (!QCoreApplication::instance()) {
        QThread::msleep(static_cast<unsigned long>(qMax(0, maxWaitMs)));
        return;
    }
    // A timer guarantees that the blocking wait below wakes up in time.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(qMax(0, maxWaitMs));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

quint64 EventPassCount()
{
    return gPassCount.load();
}

} // namespace platform
