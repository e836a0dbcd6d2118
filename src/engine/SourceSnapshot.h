#pragma once

#include "engine/FileIdentity.h"

#include <QString>
#include <optional>

namespace engine {

// A private copy of a source document, for the office to read while the
// engine works ahead: the user's file is read once, by the engine, through
// a descriptor opened without blocking and checked to be a regular file, so
// that a FIFO, a device or a file that changes under the copy is never
// handed to the office.
class SourceSnapshot final {
public:
    SourceSnapshot() = delete;

    // Copies `source` to `copy` (a new file, 0600, in a private folder).
    // Returns the source's identity, or nothing (and no copy) when it is
    // not a regular file we may read, or when it changed while it was read.
    static std::optional<FileIdentity> Take(const QString& source, const QString& copy);
};

} // namespace engine
