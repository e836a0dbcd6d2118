// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <optional>

namespace platform {

// What the command line asks of the file system, with names as bytes (see
// FileNames), so that names that are not UTF-8 work as any other.

// True when `path` is a folder (or a link to one).
bool IsFolder(const QString& path);
// The modification time of the regular file `path` (links followed), in
// nanoseconds since the epoch; nothing when it is not a regular file.
std::optional<qint64> ModifiedTime(const QString& path);
// Makes the folder `path` and any missing folder above it, like any new
// folder of the user's (0777 less the umask). False when it cannot be made
// or a file has its name.
bool MakeFolders(const QString& path);

} // namespace platform
