// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace engine {

// What tells whether a file is still the one seen earlier: the same file
// (device and inode), the same size, and neither its content nor its
// metadata changed since (modification and status-change times, to the
// nanosecond; a program can set the first back, nobody the second).
class FileIdentity final {
public:
    FileIdentity() = default;
    explicit FileIdentity(const struct stat& info);

    off_t size() const { return mSize; }
    bool operator==(const FileIdentity& other) const;

private:
    dev_t mDevice = 0;
    ino_t mInode = 0;
    off_t mSize = -1;
    timespec mModified{};
    timespec mChanged{};
};

} // namespace engine
