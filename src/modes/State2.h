// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "modes/QueueingState.h"

// Batch mode: Command1 lists the source folder, queues every file whose
// extension is in the extension list and converts them one after the other
// into the target folder.
class State2 final : public QueueingState {
protected:
    void State_Command1(const QString& str) override;
};
