// SPDX-License-Identifier: MPL-2.0
#include "engine/server/EngineThread.h"

#include <array>
#include <pthread.h>

namespace engine {

EngineThread& EngineThread::ForOffice(int index)
{
    static std::mutex lock;
    static std::array<EngineThread*, kMaxThreads> threads{}; // never destroyed
    std::lock_guard guard(lock);
    EngineThread*& thread = threads.at(static_cast<std::size_t>(index));
    if (!thread)
        thread = new EngineThread(index == 0 ? std::string("office-engine") : "office-pool-" + std::to_string(index));
    return *thread;
}

EngineThread::EngineThread(const std::string& name)
{
    std::thread worker([this] { run(); });
    mId = worker.get_id();
    pthread_setname_np(worker.native_handle(), name.substr(0, 15).c_str());
    worker.detach();
}

void EngineThread::post(std::function<void()> task)
{
    {
        std::lock_guard guard(mLock);
        mTasks.push_back(std::move(task));
    }
    mWake.notify_one();
}

void EngineThread::run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock guard(mLock);
            mWake.wait(guard, [this] { return !mTasks.empty(); });
            task = std::move(mTasks.front());
            mTasks.pop_front();
        }
        task(); // tasks catch their own failures
    }
}

} // namespace engine
