#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The program's command line. Parsing needs nothing but QtCore, so --help,
// --version and usage errors are answered before any application object,
// window, display or office exists.
//
//   tallowin [FILE...]                                   the windows
//   tallowin --convert [--target DIR] [--json] PATH...   no windows
//   tallowin --help | --version
class CommandLine final {
public:
    enum class Mode {
        Windows,    // the main window; Options::files are opened one after the other
        Convert,    // converts Options::paths without windows
        Help,       // prints HelpText() and exits 0
        Version,    // prints VersionText() and exits 0
        UsageError, // prints Options::error and exits ExitUsage
    };

    struct Options {
        Mode mode = Mode::Windows;
        // Windows: the documents to open in single-document mode, in order
        // (what the desktop's "Open With" passes).
        QStringList files;
        // Convert: documents and folders, in order; "-" (at most once) stands
        // for the paths read from standard input, one per line.
        QStringList paths;
        // Convert: the folder the Word documents go to; empty without --target.
        QString target;
        // Convert: JSON Lines instead of tab-separated text lines.
        bool json = false;
        // UsageError: what is wrong, in one line.
        QString error;
    };

    // Exit codes of the program.
    static constexpr int ExitSuccess = 0; // every document converted; --help, --version
    static constexpr int ExitFailed = 1;  // any document failed
    static constexpr int ExitUsage = 2;   // the command line is wrong

    // The arguments after the program name, decoded as the system decodes
    // file names.
    static QStringList Arguments(int argc, char** argv);

    static Options Parse(const QStringList& arguments);

    static QString HelpText();
    static QString VersionText();

    // Answers Help and Version on standard output and UsageError on standard
    // error, and returns the exit code; returns nothing for the modes that
    // run the program (Windows, Convert).
    static std::optional<int> AnswerAtOnce(const Options& options);
};
