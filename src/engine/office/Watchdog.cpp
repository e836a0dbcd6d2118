// SPDX-License-Identifier: MPL-2.0
#include "engine/office/Watchdog.h"

namespace engine {

Watchdog::Watchdog() : mThread([this] { run(); }) {}

Watchdog::~Watchdog()
{
    {
        std::lock_guard guard(mLock);
        mQuit = true;
    }
    mWake.notify_all();
    mThread.join();
}

void Watchdog::arm(std::chrono::milliseconds limit, std::function<void()> onTimeout)
{
    {
        std::lock_guard guard(mLock);
        mArmed = true;
        mFired = false;
        mDeadline = std::chrono::steady_clock::now() + limit;
        mAction = std::move(onTimeout);
    }
    mWake.notify_all();
}

bool Watchdog::disarm()
{
    std::lock_guard guard(mLock);
    mArmed = false;
    mAction = nullptr;
    return mFired;
}

void Watchdog::run()
{
    std::unique_lock guard(mLock);
    while (!mQuit) {
        if (!mArmed) {
            mWake.wait(guard);
            continue;
        }
        if (mWake.wait_until(guard, mDeadline) == std::cv_status::timeout && mArmed
            && std::chrono::steady_clock::now() >= mDeadline) {
            mArmed = false;
            mFired = true;
            auto action = std::move(mAction);
            mAction = nullptr;
            guard.unlock();
            if (action)
                action();
            guard.lock();
        }
    }
}

} // namespace engine
