// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "modes/QueueingState.h"

// Single-document mode: Command1 checks the chosen document's extension,
// queues it and converts it.
class State1 final : public QueueingState {
protected:
    void State_Command1(const QString& str) override;
};
