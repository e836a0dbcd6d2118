// SPDX-License-Identifier: MPL-2.0
#include "platform/files/Files.h"

#include "platform/files/FileNames.h"

#include <cerrno>
#include <sys/stat.h>

namespace platform {

namespace {

bool isFolder(const QByteArray& path)
{
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

bool IsFolder(const QString& path)
{
    return isFolder(EncodeFileName(path));
}

std::optional<qint64> ModifiedTime(const QString& path)
{
    struct stat info {};
    if (::stat(EncodeFileName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool MakeFolders(const QString& path)
{
    const QByteArray native = EncodeFileName(path);
    if (isFolder(native))
        return true;
    // Each folder from the top down; one made meanwhile by another process
    // is as good.
    for (qsizetype slash = native.indexOf('/', 1);; slash = native.indexOf('/', slash + 1)) {
        const QByteArray folder = slash < 0 ? native : native.left(slash);
        if (!folder.isEmpty() && ::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST)
            return false;
        if (slash < 0)
            break;
    }
    return isFolder(native);
}

} // namespace platform
