#pragma once

#include "modes/State.h"

#include <memory>

class Stack;

// Single-document mode: Command1 checks the chosen document's extension,
// queues it and converts it; Command2 converts the next queued document.
class State1 final : public State {
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
