// SPDX-License-Identifier: MPL-2.0
#pragma once

// A user action or the end of a conversion, turned into a mode command.
class Command {
public:
    virtual ~Command() = default;
    void Execute() { Command_Execute(); }

protected:
    virtual void Command_Execute() = 0;
};
