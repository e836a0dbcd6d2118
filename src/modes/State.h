// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

class Mediator;

// A mode of the program. What the three mode commands do depends on which
// state is current.
class State {
public:
    virtual ~State() = default;

    void init(Mediator* md) { State_init(md); }
    void Command1(const QString& str) { State_Command1(str); }
    void Command2(const QString& str) { State_Command2(str); }
    void Command3() { State_Command3(); }

protected:
    virtual void State_init(Mediator* md) = 0;
    virtual void State_Command1(const QString& str) = 0;
    virtual void State_Command2(const QString& str) = 0;
    virtual void State_Command3() = 0;
};
