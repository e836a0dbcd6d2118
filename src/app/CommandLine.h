// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "app/ConvertOptions.h"

#include <QString>
#include <QStringList>
#include <optional>

// The program's command line. Parsing needs nothing but QtCore, so --help,
// --version and usage errors are answered before any application object,
// window, display or office exists.
//
//   tallowin [FILE...]                  the windows
//   tallowin --convert [OPTION...] PATH...   no windows (see HelpText)
//   tallowin --help | --version
class CommandLine final {
public:
    enum class Mode {
        Windows,    // the main window; Options::files are opened one after the other
        Convert,    // converts Options::paths without windows
        Help,       // prints HelpText() and exits 0
        Version,    // prints VersionText() and exits 0
        UsageError, // prints Options::error and exits ExitUsage
        NoDisplay,  // the windows have no display: says so and exits ExitFailed
    };

    // Convert: what ConvertOptions says.
    struct Options : ConvertOptions {
        Mode mode = Mode::Windows;
        // Windows: the documents to open in single-document mode, in order
        // (what the desktop's "Open With" passes).
        QStringList files;
        // UsageError: what is wrong, in one line.
        QString error;
    };

    // Exit codes of the program.
    static constexpr int ExitSuccess = 0;  // every document converted or skipped; --help, --version
    static constexpr int ExitFailed = 1;   // any document failed; no display for the windows
    static constexpr int ExitUsage = 2;    // the command line is wrong
    static constexpr int ExitNoOffice = 3; // no office could be started at all

    // The arguments after the program name, decoded as the system decodes
    // file names.
    static QStringList Arguments(int argc, char** argv);

    // `hasDisplay`: whether the windows would have a display (see
    // HasDisplay); without one the windows' mode becomes NoDisplay.
    static Options Parse(const QStringList& arguments, bool hasDisplay = true);
    // Whether Qt's windows find a display: a platform is named (the
    // environment's QT_QPA_PLATFORM or the -platform option), or X11's or
    // Wayland's display is set.
    static bool HasDisplay(const QStringList& arguments);

    static QString HelpText();
    static QString VersionText();

    // Answers Help and Version on standard output and UsageError and
    // NoDisplay on standard error, and returns the exit code; returns
    // nothing for the modes that run the program (Windows, Convert).
    static std::optional<int> AnswerAtOnce(const Options& options);
};
