// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "pipeline/Command.h"

#include <memory>

class Mediator;

// Starts the current mode's work: sends Command1 with the Mediator's source
// file. Create with std::make_shared (init registers the object).
class cmd1 final : public Command, public std::enable_shared_from_this<cmd1> {
public:
    void init(Mediator* md);

protected:
    void Command_Execute() override;

private:
    Mediator* mMediator = nullptr;
};
