// SPDX-License-Identifier: MPL-2.0
#include "platform/desktop/EventPass.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace platform {

namespace {
std::atomic<quint64> gPassCount{0};

// How often a pass asks the system for input, timers and window events; the
// passes in between handle only what the program itself posted.
constexpr qint64 kSystemPassNs = 500'000;
} // namespace

void DoEvents()
{
    ++gPassCount;
    if (!QCoreApplication::instance())
        return;
    // A batch makes several passes per document, thousands a second; each
    // full pass polls the system (a system call even when nothing waits).
    // Polling at most every half millisecond keeps the windows as responsive
    // as the screen can show and costs a fraction.
    static QElapsedTimer sinceSystemPass; // of the main thread
    const bool mainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    if (mainThread && sinceSystemPass.isValid() && sinceSystemPass.nsecsElapsed() < kSystemPassNs) {
        QCoreApplication::sendPostedEvents();
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (mainThread)
        sinceSystemPass.start();
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
