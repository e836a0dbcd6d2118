// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "modes/State.h"

// The state the program starts in: Command1 only empties the document list.
class State3 final : public State {
protected:
    void State_init(Mediator* md) override { mMediator = md; }
    void State_Command1(const QString& str) override;
    void State_Command2(const QString&) override {}
    void State_Command3() override {}

private:
    Mediator* mMediator = nullptr;
};
