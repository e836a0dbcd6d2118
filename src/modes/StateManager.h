// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <memory>

class Mediator;
class State;

// Owns the three mode states and passes each mode command, unchanged, to the
// current one.
class StateManager final {
public:
    StateManager();
    ~StateManager();

    void init(Mediator* mediator);
    void setStateOne();
    void SetStateTwo();
    void SetStateThree();
    void Command1(const QString& str);
    void Command2(const QString& str);
    void Command3();

    State* current() const { return mCurrent; }
    State* stateOne() const { return mStateOne.get(); }
    State* stateTwo() const { return mStateTwo.get(); }
    State* stateThree() const { return mStateThree.get(); }

private:
    State* mCurrent = nullptr;
    std::unique_ptr<State> mStateOne;
    std::unique_ptr<State> mStateTwo;
    std::unique_ptr<State> mStateThree;
};
