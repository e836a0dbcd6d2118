// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "app/ConvertOptions.h"
#include "app/ConvertSources.h"
#include "app/ResultPrinter.h"

#include <QString>
#include <QStringList>
#include <cstdio>

struct DocumentRow;

// "tallowin --convert": converts documents and folders (and folder trees)
// without windows, with batch mode's jobs, engine and statuses, and reports
// every document on standard output as it ends (see ResultPrinter).
//
// What is converted and where to: see ConvertSources. Each Word file goes to
// its document's place under the target folder (folders made as needed), or,
// without one, next to its document; its extension follows the format. With
// skipExisting, a document whose Word file exists and is newer than the
// document is skipped. All of it is one run, from the command's start: a
// Word file the run wrote is never replaced by a later document of the same
// run, nor one another process wrote after the run began.
class ConvertCommand final {
public:
    using Options = ConvertOptions;

    // `progress`: the terminal's stream for the progress line, or null;
    // `messages`: where failures of the whole command and the summary go.
    ConvertCommand(Options options, std::FILE* input, std::FILE* output, std::FILE* progress,
                   std::FILE* messages = stderr);

    // Needs the Mediator (gMediator) and an event loop's application object;
    // connects the Mediator to the word processor (init) only when there is
    // something to convert and it is not connected yet. Makes the target
    // folder when it is missing. Returns the exit code: 0 when every
    // document converted or was skipped, 1 when any failed, 2 on a usage
    // error (a target folder that cannot be made, a path outside the base),
    // 3 when no office could be started.
    int Run();

private:
    // Makes the target folder and checks the base; false (told) when either fails.
    bool foldersUsable() const;
    // `documents` less those whose Word file is newer (reported as skipped).
    std::vector<ConvertSources::Document> withoutUpToDate(const std::vector<ConvertSources::Document>& documents);
    // The closing line: how many converted, failed, skipped and left out.
    void summarise(int leftOut) const;
    // Converts `documents` in batches of a bounded size (the document list
    // holds one batch), all of them one run.
    void convert(const std::vector<ConvertSources::Document>& documents);
    QString targetFor(const QString& document, const QString& relative) const;
    void report(const DocumentRow& row);
    void showProgress(bool draw);
    // A line on the messages stream: a failure of the whole command, the summary.
    void tell(const QString& message) const;

    Options mOptions;
    std::FILE* mInput;
    std::FILE* mMessages;
    ResultPrinter mPrinter;
    QString mTarget; // absolute, or empty
    QString mBase;   // absolute, or empty
    int mTotal = 0;
    int mConverted = 0;
    int mFailed = 0;
    int mSkipped = 0;
};
