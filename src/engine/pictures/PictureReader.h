// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/pictures/reader/EmbeddedPicture.h"

#include <QList>
#include <QString>
#include <chrono>
#include <functional>

namespace engine {

// Reads and converts the pictures of a WordPerfect document out of the
// program's process: in the picture reader (tallowin-picture-reader, beside
// the executable in a build, in libexec/tallowin/ when installed), one
// process per document, which gets
//
//   - the document alone, open on its standard input (it opens no file:
//     its system calls are limited to memory, reading, writing and time);
//   - no network (the office's seccomp filter) and no core dumps;
//   - a memory limit (RLIMIT_AS): 512 MiB and four times the document,
//     against at most 200 MiB a bitmap may cost (BitmapBudget);
//   - a time limit: 20 s and 2 s per MiB of the document, after which it is
//     killed (the office's own limit for the load it runs beside is 60 s
//     and 10 s per MiB).
//
// It answers through a pipe (PictureTransfer), which is read no further than
// its format and its limit allow. What it could not hand back is left out:
// as too large when it was killed for its time or memory, or ran out of
// memory; as unreadable when it failed otherwise.
class PictureReader final {
public:
    PictureReader() = delete;

    struct Result {
        QList<EmbeddedPicture> pictures; // converted, each with its frame
        int unread = 0;
        int unplaced = 0;
        int tooLarge = 0;
    };
    // `declared`: how many pictures the document's prefix declares (what is
    // left out when the reader hands back nothing). `onFrames` is told,
    // once the reader has found the pictures, where in the document those
    // over their budget begin.
    static Result Read(const QString& path, int declared,
                       const std::function<void(const QList<qint64>&)>& onFrames = {});

    static std::chrono::milliseconds TimeLimit(qint64 documentBytes);
    static qint64 MemoryLimit(qint64 documentBytes);

    // How the reader misbehaves in tests, right after it has reported the
    // frames: it sleeps, or it allocates until its memory limit stops it.
    // `timeLimit` replaces TimeLimit's when set.
    enum class Fault { None, Hang, ExhaustMemory };
    static void SetFaultForTests(Fault fault, std::chrono::milliseconds timeLimit = {});
};

} // namespace engine
