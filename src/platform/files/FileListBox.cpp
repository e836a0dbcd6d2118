// SPDX-License-Identifier: MPL-2.0
#include "platform/files/FileListBox.h"

#include "platform/files/FileNames.h"
#include "platform/automation/RuntimeError.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool FileListBox::lessThan(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.compare(b, Qt::CaseSensitive) < 0;
}

void FileListBox::setPath(const QString& folder)
{
    mNames.clear();
    mFolders.clear();
    mIndex = -1;
    QString clean = folder;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    mPath = clean;
    if (clean.isEmpty())
        return;

    const QByteArray native = EncodeFileName(clean);
    DIR* dir = ::opendir(native.constData());
    if (!dir)
        throw RuntimeError(RuntimeError::PathNotFound,
                           QStringLiteral("Path not found: %1 (%2)")
                               .arg(folder, QString::fromLocal8Bit(std::strerror(errno))),
                           QStringLiteral("FileList"));
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        bool regular = entry->d_type == DT_REG;
        bool subfolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            subfolder = ::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        if (subfolder) {
            mFolders.append(DecodeFileName(entry->d_name));
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Follow links; a broken link or a link to anything but a
            // regular file is not listed.
            struct stat st {};
            regular = ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (regular)
            mNames.append(DecodeFileName(entry->d_name));
    }
    ::closedir(dir);
    std::sort(mNames.begin(), mNames.end(), &FileListBox::lessThan);
    std::sort(mFolders.begin(), mFolders.end(), &FileListBox::lessThan);
}

void FileListBox::setListIndex(int i)
{
    if (i < -1 || i >= mNames.size())
        throw RuntimeError(380, QStringLiteral("Invalid property value: list index %1").arg(i),
                           QStringLiteral("FileList"));
    mIndex = i;
}

QString FileListBox::fileName() const
{
    return mIndex >= 0 ? mNames.at(mIndex) : QString();
}

} // namespace platform
