#pragma once

class UserInterface;

namespace General {

// Start-up: creates the Mediator and gives it the windows, loads the
// extension manager, connects to the word processor (or reports that it
// cannot and ends the program), shows the main window and then the start
// chooser. Returns once the chooser is closed; the program then runs on its
// window events.
void Main();

// The windows as the logic reaches them (one for the whole program).
UserInterface& Windows();

} // namespace General
