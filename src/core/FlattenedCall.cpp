// SPDX-License-Identifier: MPL-2.0
#include "core/FlattenedCall.h"

#include "platform/automation/RuntimeError.h"

void FlattenedCall::run(const std::function<void()>& call, const std::function<bool()>& goOnAfterFailure)
{
    if (mDepth > 0) {
        ++mPending;
        return;
    }
    struct Depth {
        FlattenedCall* flattened;
        ~Depth()
        {
            --flattened->mDepth;
            flattened->mPending = 0;
        }
    } depth{this};
    ++mDepth;
    mPending = 1;
    while (mPending > 0) {
        --mPending;
        try {
            call();
        } catch (const platform::RuntimeError&) {
            if (!goOnAfterFailure || !goOnAfterFailure())
                throw;
            mPending = 1;
        }
    }
}
