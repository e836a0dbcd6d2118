#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdio>

struct DocumentRow;

// "tallowin --convert": converts documents and folders without windows, with
// batch mode's jobs, engine and statuses, and reports every document on
// standard output as it ends (tab-separated text, or JSON Lines).
//
// What is converted: each PATH that is a folder gives the documents of that
// folder the extension list accepts ("wpd" at start), as batch mode finds
// them; any other PATH is one document, whatever its extension (one that
// does not exist fails). A document named twice is converted once. Where to:
// into the target folder, or, without one, next to each document. All of it
// is one run: a Word file the run wrote is never replaced by a later document
// of the same run.
class ConvertCommand final {
public:
    struct Options {
        QStringList paths;   // "-" stands for the paths read from `input`
        QString target;      // empty: next to each document
        bool json = false;
    };

    ConvertCommand(Options options, std::FILE* input, std::FILE* output, std::FILE* progress);

    // Needs the Mediator (gMediator, initialised) and an event loop's
    // application object. Makes the target folder when it is missing.
    // Returns the exit code: 0 when every document converted, 1 when any
    // failed, 2 when the target folder cannot be made.
    int Run();

    // The documents the paths name, in order, each once.
    QStringList Documents();

private:
    void report(const DocumentRow& row);
    void showProgress(bool last);

    Options mOptions;
    std::FILE* mInput;
    std::FILE* mOutput;
    std::FILE* mProgress; // null: no progress line
    int mTotal = 0;
    int mConverted = 0;
    int mFailed = 0;
    QElapsedTimer mSinceProgress;
};
