// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "pipeline/Command.h"
#include "platform/automation/LateBinding.h"

#include <memory>

class Mediator;

// Advances the conversion: sends Command2, which makes the current mode
// convert its next queued document. Its init can also be called by name
// ("init", with the Mediator as argument), as the conversion jobs do.
// Create with std::make_shared (init registers the object).
class Cmd2 final : public Command, public platform::LateBound, public std::enable_shared_from_this<Cmd2> {
public:
    void init(Mediator* md);
    platform::Value invokeMember(const QString& member, const QList<platform::Value>& args) override;

protected:
    void Command_Execute() override;

private:
    Mediator* mMediator = nullptr;
};
