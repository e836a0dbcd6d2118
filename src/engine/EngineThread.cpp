#include "engine/EngineThread.h"

#include <pthread.h>

namespace engine {

EngineThread& EngineThread::Instance()
{
    static EngineThread* instance = new EngineThread(); // never destroyed
    return *instance;
}

EngineThread::EngineThread()
{
    std::thread worker([this] { run(); });
    mId = worker.get_id();
    pthread_setname_np(worker.native_handle(), "office-engine");
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
