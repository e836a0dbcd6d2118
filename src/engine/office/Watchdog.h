// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace engine {

// Runs an action when a call into the office takes longer than its limit:
// the engine arms it before the call and disarms it after. The action runs on
// the watchdog's own thread (the engine thread is the one that is stuck).
class Watchdog final {
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void arm(std::chrono::milliseconds limit, std::function<void()> onTimeout);
    // Returns true when the action ran since the last arm.
    bool disarm();

private:
    void run();

    std::mutex mLock;
    std::condition_variable mWake;
    bool mArmed = false;
    bool mFired = false;
    bool mQuit = false;
    std::chrono::steady_clock::time_point mDeadline;
    std::function<void()> mAction;
    // Last: the thread starts once everything it reads is initialised.
    std::thread mThread;
};

// Arms a watchdog for one scope.
class WatchdogScope final {
public:
    WatchdogScope(Watchdog& watchdog, std::chrono::milliseconds limit, std::function<void()> onTimeout)
        : mWatchdog(watchdog)
    {
        mWatchdog.arm(limit, std::move(onTimeout));
    }
    ~WatchdogScope() { mWatchdog.disarm(); }
    bool fired() { return mWatchdog.disarm(); }
    WatchdogScope(const WatchdogScope&) = delete;
    WatchdogScope& operator=(const WatchdogScope&) = delete;

private:
    Watchdog& mWatchdog;
};

} // namespace engine
