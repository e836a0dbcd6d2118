// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

namespace engine {

// Where the office is installed, and whether it can be run at all. The check
// looks at files only: it starts no process, so that the program can tell at
// once whether a word processor is there.
class OfficeInstallation final {
public:
    OfficeInstallation() = delete;

    // The office's program folder (which also holds the UNO runtime).
    static QString ProgramFolder();
    // The office program the engine starts.
    static QString Executable();
    // The office's version as its configuration names it ("7.4"), from the
    // product name its bootstrap file gives; empty text when there is none.
    static QString ProductVersion();

    // Whether the office has Writer's window definitions. The office builds
    // a window for each comment of a document that has a view, and one
    // installed without them aborts when it tries.
    static bool HasWriterWindows();

    // Raises a RuntimeError naming the program and the reason unless the
    // office program is there, is a regular file and may be executed.
    static void Check();

    // Makes the engine start another program; an empty text restores the
    // installed office. For tests of a missing or broken office.
    static void SetExecutable(const QString& program);
};

} // namespace engine
