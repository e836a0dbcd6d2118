// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <memory>

class Mediator;
namespace platform {
class LateBound;
}

// The program's globals. All are empty when the process starts. Start-up
// (General::Main, in the application's start-up code) sets gMediator.
extern std::shared_ptr<Mediator> gMediator;               // set once at start-up
extern bool gAccepted;                                     // verdict of the extension chain
extern std::shared_ptr<platform::LateBound> gAutomation;   // the word processor's server
