// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "modes/State.h"

#include <memory>

class Stack;

// A mode that converts documents from a queue: Command1 (the mode's own)
// fills the queue and starts it; Command2 converts the next queued document,
// if any; Command3 does nothing.
class QueueingState : public State {
public:
    // The documents waiting; none before the first Command1.
    Stack* pending() const { return mPending.get(); }

protected:
    void State_init(Mediator* md) override { mMediator = md; }
    void State_Command2(const QString& str) override;
    void State_Command3() override {}

    Mediator* mMediator = nullptr;
    std::shared_ptr<Stack> mPending;
};
