// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/document/FileIdentity.h"

#include <QString>
#include <optional>
#include <sys/stat.h>

namespace engine {

// A private copy of a source document, for the office to read while the
// engine works ahead: the user's file is read once, by the engine, through
// a descriptor opened without blocking and checked to be a regular file, so
// that a FIFO, a device or a file that changes under the copy is never
// handed to the office.
class SourceSnapshot final {
public:
    // Opens `source` (opening a FIFO without a writer returns at once).
    explicit SourceSnapshot(const QString& source);
    ~SourceSnapshot();
    SourceSnapshot(const SourceSnapshot&) = delete;
    SourceSnapshot& operator=(const SourceSnapshot&) = delete;

    // True when the source is a regular file we may read.
    bool isReadable() const { return mFd >= 0; }
    qint64 size() const { return mInfo.st_size; }

    // Copies the source to `copy` (a new file, 0600, in a private folder).
    // Returns the source's identity, or nothing (and no copy) when it is not
    // readable or changed while it was read.
    std::optional<FileIdentity> copyTo(const QString& copy);

private:
    int mFd = -1;
    struct stat mInfo {};
};

} // namespace engine
