// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <functional>

// A call whose own work asks for it again, carried out as a loop instead of
// a nest. A conversion job ends by issuing the next Command2, while the
// Command2 that started it is still under way: made nested, a batch of N
// documents would be N calls deep. Here the call made again is only noted,
// and made once the running one has returned; documents are converted in the
// same order, and the depth stays one whatever the batch's size.
//
// This is the one place where "for each document" of a batch happens: the
// Mediator's Command2 runs through one, and batch mode runs its queue
// through another, which also goes on past a document that failed.
class FlattenedCall final {
public:
    // Makes `call`, and again for each time it was asked for meanwhile.
    // Asked for while under way, it returns at once (noted for the loop). A
    // platform::RuntimeError from `call` ends the loop and is raised, unless
    // `goOnAfterFailure` is given and says to go on: then `call` is made
    // again.
    void run(const std::function<void()>& call, const std::function<bool()>& goOnAfterFailure = {});

    bool underWay() const { return mDepth > 0; }

private:
    int mDepth = 0;
    int mPending = 0;
};
