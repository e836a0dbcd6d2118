// SPDX-License-Identifier: MPL-2.0
#include "engine/document/SourceSnapshot.h"

#include "platform/files/FileNames.h"
#include "platform/files/TempFiles.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace engine {

SourceSnapshot::SourceSnapshot(const QString& source)
{
    mFd = ::open(platform::EncodeFileName(source).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (mFd >= 0 && (::fstat(mFd, &mInfo) != 0 || !S_ISREG(mInfo.st_mode))) {
        ::close(mFd);
        mFd = -1;
    }
}

SourceSnapshot::~SourceSnapshot()
{
    if (mFd >= 0)
        ::close(mFd);
}

std::optional<FileIdentity> SourceSnapshot::copyTo(const QString& copy)
{
    if (mFd < 0)
        return std::nullopt;
    const int out = platform::OpenPrivateFile(copy, O_WRONLY | O_EXCL | O_NOFOLLOW);
    if (out < 0)
        return std::nullopt;
    // A file that grows or shrinks while it is read changes its identity.
    bool good = platform::CopyAll(mFd, out, mInfo.st_size) == 0;
    struct stat after {};
    good = ::fstat(mFd, &after) == 0 && good && FileIdentity(after) == FileIdentity(mInfo);
    good = ::close(out) == 0 && good;
    if (!good) {
        ::unlink(platform::EncodeFileName(copy).constData());
        return std::nullopt;
    }
    return FileIdentity(mInfo);
}

} // namespace engine
