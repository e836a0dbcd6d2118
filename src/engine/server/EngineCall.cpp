// SPDX-License-Identifier: MPL-2.0
#include "engine/server/EngineCall.h"

#include "engine/server/EngineThread.h"
#include "platform/automation/RuntimeError.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace engine {

namespace {

const QString kNoResponse = QStringLiteral("The office engine did not respond");

struct Completion {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::exception_ptr failure;
    QAbstractEventDispatcher* waiter = nullptr; // woken when done, while set
};

std::shared_ptr<Completion> post(EngineThread& thread, std::function<void()> task, QAbstractEventDispatcher* waiter)
{
    auto completion = std::make_shared<Completion>();
    completion->waiter = waiter;
    thread.post([completion, task = std::move(task)]() mutable {
        std::exception_ptr failure;
        try {
            task();
        } catch (...) {
            failure = std::current_exception();
        }
        // What the task holds goes before the caller is told it is done.
        task = nullptr;
        std::lock_guard guard(completion->lock);
        completion->failure = failure;
        completion->done = true;
        completion->finished.notify_all();
        if (completion->waiter)
            completion->waiter->wakeUp();
    });
    return completion;
}

} // namespace

void EngineCall::Run(std::function<void()> task, std::optional<std::chrono::milliseconds> limit)
{
    RunOn(EngineThread::Instance(), std::move(task), limit);
}

void EngineCall::RunOn(EngineThread& thread, std::function<void()> task, std::optional<std::chrono::milliseconds> limit)
{
    if (thread.isCurrent()) {
        task();
        return;
    }
    QAbstractEventDispatcher* dispatcher = nullptr;
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
        dispatcher = QAbstractEventDispatcher::instance();
    const auto completion = post(thread, std::move(task), dispatcher);
    const auto deadline = std::chrono::steady_clock::now() + limit.value_or(std::chrono::hours(24 * 365));
    const auto giveUp = [&] {
        completion->waiter = nullptr;
        throw platform::RuntimeError(platform::RuntimeError::AutomationError,
                                     QStringLiteral("%1 within %2 s")
                                         .arg(kNoResponse)
                                         .arg(limit.value_or(std::chrono::milliseconds(0)).count() / 1000.0),
                                     QStringLiteral("Office engine"));
    };
    if (dispatcher) {
        // The wake-up from the engine ends the wait at once; the timer only
        // bounds it should a wake-up ever be missed, and checks the limit.
        QTimer safety;
        safety.start(100);
        for (;;) {
            {
                std::lock_guard guard(completion->lock);
                if (completion->done) {
                    completion->waiter = nullptr;
                    break;
                }
                if (std::chrono::steady_clock::now() >= deadline)
                    giveUp();
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    } else {
        std::unique_lock guard(completion->lock);
        if (!completion->finished.wait_until(guard, deadline, [&] { return completion->done; }))
            giveUp();
    }
    if (completion->failure)
        std::rethrow_exception(completion->failure);
}

bool EngineCall::IsNoResponse(const platform::RuntimeError& error)
{
    return error.description().startsWith(kNoResponse);
}

bool EngineCall::RunQuietly(std::function<void()> task, std::chrono::milliseconds limit)
{
    return RunQuietlyOn(EngineThread::Instance(), std::move(task), limit);
}

bool EngineCall::RunQuietlyOn(EngineThread& thread, std::function<void()> task, std::chrono::milliseconds limit)
{
    if (thread.isCurrent()) {
        task();
        return true;
    }
    const auto completion = post(thread, std::move(task), nullptr);
    std::unique_lock guard(completion->lock);
    return completion->finished.wait_for(guard, limit, [&] { return completion->done; });
}

} // namespace engine
