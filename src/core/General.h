#pragma once

#include <memory>

class Mediator;
namespace platform {
class LateBound;
}

// The program's globals. All are empty when the process starts.
extern std::shared_ptr<Mediator> gMediator;               // set once by Main
extern bool gAccepted;                                     // verdict of the extension chain
extern std::shared_ptr<platform::LateBound> gAutomation;   // the word processor's server

namespace General {

// Start-up: creates the Mediator, loads the extension manager, connects to
// the word processor (or reports that it cannot and ends the program), shows
// the main window and then the start chooser. Returns once the chooser is
// closed; the program then runs on its window events.
void Main();

} // namespace General
