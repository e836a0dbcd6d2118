// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

class DocumentList;

// How far a batch has got: how many documents it set out to convert, and,
// read from the document list, how many are done and how many failed. The
// main window's status bar and the command line's progress line show its
// text.
class BatchProgress final {
public:
    // A batch of `total` documents starts (its list has just been emptied).
    void Start(int total);
    // The batch has ended; the text now gives its totals (nothing writes
    // the list again before it is emptied, which clears this too).
    void Finish();
    // No batch to tell of (the list was emptied).
    void Clear();

    // "3 of 10 done, 1 failed" while the batch runs, "Batch done: 9
    // converted, 1 failed" once it has ended, empty text before any batch.
    QString Text(const DocumentList& documents) const;
    // "3 of 10 done, 1 failed" (without the failures when there are none).
    static QString Running(int done, int total, int failed);

private:
    int mTotal = 0;
    bool mRunning = false;
    bool mStarted = false;
};
