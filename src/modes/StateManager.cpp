// SPDX-License-Identifier: MPL-2.0
#include "modes/StateManager.h"

#include "modes/State1.h"
#include "modes/State2.h"
#include "modes/State3.h"

StateManager::StateManager() = default;
StateManager::~StateManager() = default;

void StateManager::init(Mediator* mediator)
{
    mStateOne = std::make_unique<State1>();
    mStateTwo = std::make_unique<State2>();
    mStateThree = std::make_unique<State3>();
    mStateOne->init(mediator);
    mStateTwo->init(mediator);
    mStateThree->init(mediator);
    mCurrent = mStateThree.get();
}

void StateManager::setStateOne() { mCurrent = mStateOne.get(); }
void StateManager::SetStateTwo() { mCurrent = mStateTwo.get(); }
void StateManager::SetStateThree() { mCurrent = mStateThree.get(); }

void StateManager::Command1(const QString& str) { mCurrent->Command1(str); }
void StateManager::Command2(const QString& str) { mCurrent->Command2(str); }
void StateManager::Command3() { mCurrent->Command3(); }
