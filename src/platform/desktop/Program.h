// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <functional>

namespace platform {

// Ends the program at once: runs the registered end hooks (which must be
// quick: they stop helper processes and remove private temporary folders),
// then leaves the process without any further clean-up. Tests replace the
// final step with SetEndProgramHandler.
[[noreturn]] void EndProgram(int exitCode = 0);

// Work that must happen even when the program ends at once.
void AddEndHook(std::function<void()> hook);

// True once the process has begun to end (EndProgram leaving it, or the
// return from main): what the end hooks remove must not be set up again by
// threads still running.
bool IsLeaving();
// Marks the process as ending (EndProgram does; exit handlers do).
void MarkLeaving();

// SIGTERM, SIGINT and SIGHUP end the program as its Exit command does
// (EndProgram, with 128 + the signal's number), at the next event pass of the
// thread that calls this (which needs an application object). A second such
// signal before then ends the process at once.
void EndProgramOnSignals();
void RunEndHooks();

// Replaces the way EndProgram leaves the process; the handler must not return
// (tests throw). An empty handler restores the default.
void SetEndProgramHandler(std::function<void(int)> handler);

// The folder that holds the executable, without a trailing separator.
QString AppPath();
// Overrides AppPath (tests); an empty text restores the default.
void SetAppPath(const QString& path);

// A file the program ships (the clean-up macro): next to the executable, as
// in a build folder, or else in the installed data folder relative to the
// executable's folder (../share/tallowin for bin/tallowin). When neither
// exists, the path next to the executable, so that a failure names a place.
QString DataFile(const QString& name);

// The program's title and version.
QString AppTitle();
int VersionMajor();
int VersionMinor();
int VersionRevision();

} // namespace platform
