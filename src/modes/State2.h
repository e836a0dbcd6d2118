#pragma once

#include "modes/State.h"

#include <memory>

class Stack;

// Batch mode: Command1 lists the source folder, queues every file whose
// extension is in the extension list and converts them one after the other
// into the target folder; Command2 converts the next queued document.
class State2 final : public State {
public:
    Stack* pending() const { return mPending.get(); }

protected:
    void State_init(Mediator* md) override { mMediator = md; }
    void State_Command1(const QString& str) override;
    void State_Command2(const QString& str) override;
    void State_Command3() override {}

private:
    Mediator* mMediator = nullptr;
    std::shared_ptr<Stack> mPending;
};
