// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace engine {

// A thread that carries out the calls into one office, one task at a time in
// the order posted. Engine threads live as long as the process (they are
// never joined or destroyed): the offices they start are tied to their life
// (see OfficeProcess). Thread 0 serves the documents the program opens
// itself; the others belong to the offices that work ahead (OfficePool).
class EngineThread final {
public:
    // The most engine threads (and so offices) a process may have.
    static constexpr int kMaxThreads = 32;

    // Thread 0.
    static EngineThread& Instance() { return ForOffice(0); }
    // The thread of office `index` (0 <= index < kMaxThreads), started on
    // first use.
    static EngineThread& ForOffice(int index);

    // Queues `task`; returns at once.
    void post(std::function<void()> task);
    bool isCurrent() const { return std::this_thread::get_id() == mId; }

private:
    explicit EngineThread(const std::string& name);
    void run();

    std::mutex mLock;
    std::condition_variable mWake;
    std::deque<std::function<void()>> mTasks;
    std::thread::id mId;
};

} // namespace engine
