// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/document/FileIdentity.h"
#include "engine/document/SaveFormat.h"
#include "platform/automation/RuntimeError.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace engine {

// One announced document and what an office of the pool made of it ahead of
// the program's calls. The pool hands it from thread to thread under its
// lock; the office working on it (state Working) is its only user meanwhile.
struct PreparedDocument {
    enum class State {
        Waiting,  // no office has taken it yet
        Working,  // an office is converting it
        Ready,    // converted: blank, text and Word file are here
        Refused,  // the office refused to open it: `refusal` says how
        Fallback, // nothing to use: the direct conversion serves it
        Dropped,  // given up (taken by the direct conversion, skipped, a new batch)
    };

    PreparedDocument(QString sourcePath, const SaveFormat* saveFormat)
        : path(std::move(sourcePath)), format(saveFormat)
    {
    }

    QString path; // absolute, as FileOpen names it
    const SaveFormat* format; // what `word` holds: the format the batch asked for
    State state = State::Waiting;
    int office = -1;      // the office that works or worked on it
    quint64 number = 0;   // names its private files

    // Filled by the office: the document's private folder (0700, in one of
    // the pool's), with a copy of the source under its own name, which the
    // office reads, and beside it the Word document (or the other format
    // asked for) it wrote.
    QString folder;
    QString copy;
    QString word;
    FileIdentity identity; // of the source, when it was copied
    bool blank = false;
    QByteArray textCopy; // what FileSave(path) writes
    QString notes;          // what the Word file leaves out or lacks (OfficeDocument::notes)
    bool plainly = false;   // the office failed on it the full way (and then the plain way)
    std::optional<platform::RuntimeError> refusal;
};

} // namespace engine
