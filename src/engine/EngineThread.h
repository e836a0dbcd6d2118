#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace engine {

// The thread that carries out every call into the office, one task at a time
// in the order posted. It lives as long as the process (it is never joined
// or destroyed): the offices it starts are tied to its life.
class EngineThread final {
public:
    static EngineThread& Instance();

    // Queues `task`; returns at once.
    void post(std::function<void()> task);
    bool isCurrent() const { return std::this_thread::get_id() == mId; }

private:
    EngineThread();
    void run();

    std::mutex mLock;
    std::condition_variable mWake;
    std::deque<std::function<void()>> mTasks;
    std::thread::id mId;
};

} // namespace engine
