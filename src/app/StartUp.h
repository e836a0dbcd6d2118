// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QStringList>

struct ConvertOptions;
class UserInterface;

namespace General {

// Start-up: creates the Mediator and gives it the windows, loads the
// extension manager, connects to the word processor (or reports that it
// cannot and ends the program), shows the main window and then the start
// chooser. Returns once the chooser is closed; the program then runs on its
// window events.
//
// With `files` (documents opened from the desktop), the start chooser is not
// shown: each file is converted in single-document mode in turn, its row in
// the list and the Save As dialog with the proposed name, whatever its
// extension (the user chose the file); the extension list stays as it is.
void Main(const QStringList& files = {});

// Start-up of "tallowin --convert": creates the Mediator without windows,
// converts what the command line names (see ConvertCommand), connecting to
// the word processor only when there is something to convert, and returns
// the exit code. Messages go to standard error; the progress line too, when
// that is a terminal.
int Convert(const ConvertOptions& options);

// The windows as the logic reaches them (one for the whole program).
UserInterface& Windows();

} // namespace General
