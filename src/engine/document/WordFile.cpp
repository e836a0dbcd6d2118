// SPDX-License-Identifier: MPL-2.0
#include "engine/document/WordFile.h"

#include "platform/files/FileNames.h"
#include "platform/files/RunFolder.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::RuntimeError;

namespace engine {

namespace {

const QString kSource = QStringLiteral("Office engine");

QByteArray native(const QString& path)
{
    return platform::EncodeFileName(path);
}

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

constexpr qint64 kSecond = 1000000000;

// The kernel's coarse clock, from which it stamps the files it writes: a
// file written after a reading never carries an earlier time.
qint64 coarseNow()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return qint64(now.tv_sec) * kSecond + now.tv_nsec;
}

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * kSecond + time.tv_nsec;
}

std::atomic<qint64> gRunStart{coarseNow()};

// The placing of a finished temporary file failed because the target was
// written after the run began.
constexpr int kWrittenMeanwhile = -1;

bool unsupported(int err)
{
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == ENOTSUP;
}

// Whether `path` was modified at or after `since` (in the file system's
// time); a file that is not there is not.
bool writtenSince(const QByteArray& path, qint64 since)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && nanoseconds(info.st_mtim) >= since;
}

// Puts `temporary` in `target`'s place: exclusively where no file is, over a
// file modified before `since` only. Returns 0, kWrittenMeanwhile or an
// errno.
int place(const QByteArray& temporary, const QByteArray& target, qint64 since)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        int err = errno;
        if (unsupported(err)) {
            // A file system without the exclusive rename (NFS): a link
            // takes the name only if it is free.
            if (::link(temporary.constData(), target.constData()) == 0) {
                ::unlink(temporary.constData());
                return 0;
            }
            err = errno;
            if (err != EEXIST) {
                // Nor links (FAT): the old, plain rename, after the check.
                if (writtenSince(target, since))
                    return kWrittenMeanwhile;
                return ::rename(temporary.constData(), target.constData()) == 0 ? 0 : errno;
            }
        }
        if (err != EEXIST)
            return err;
        if (writtenSince(target, since))
            return kWrittenMeanwhile;
        // An older file: swapped with the new one in one step, then looked
        // at again, in case another run put its file there in between.
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) == 0) {
            if (!writtenSince(temporary, since))
                return 0; // the caller removes the old file, now under the temporary name
            ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE);
            return kWrittenMeanwhile;
        }
        err = errno;
        if (unsupported(err))
            return ::rename(temporary.constData(), target.constData()) == 0 ? 0 : errno;
        if (err != ENOENT) // gone in between: try again
            return err;
    }
    return EEXIST;
}

} // namespace

void WordFile::CheckFolder(const QString& target)
{
    const QString folder = QFileInfo(target).absolutePath();
    struct stat info {};
    if (::stat(native(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw RuntimeError(RuntimeError::PathNotFound,
                           QStringLiteral("Cannot save %1: the folder %2 does not exist").arg(target, folder), kSource);
}

void WordFile::CheckTarget(const QString& target)
{
    CheckFolder(target);
    const QString folder = QFileInfo(target).absolutePath();
    struct stat info {};
    if (::access(native(folder).constData(), W_OK | X_OK) != 0)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot save %1: the folder %2 is not writable (%3)")
                               .arg(target, folder, errnoText(errno)),
                           kSource);
    if (::stat(native(target).constData(), &info) == 0 && S_ISDIR(info.st_mode))
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot save %1: a folder has that name").arg(target), kSource);
}

void WordFile::BeginRun()
{
    gRunStart = coarseNow();
}

void WordFile::Publish(const QString& finished, const QString& target, platform::RunFolder& journal,
                       mode_t permissions)
{
    struct stat info {};
    const int in = ::open(native(finished).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0 || ::fstat(in, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) {
        if (in >= 0)
            ::close(in);
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot save %1: the office wrote nothing").arg(target), kSource);
    }
    const QString temporary = QFileInfo(target).absolutePath() + QLatin1Char('/')
                              + platform::RunFolder::PendingPrefix()
                              + QString::number(QRandomGenerator::global()->generate64(), 16)
                              + QStringLiteral(".tmp");
    journal.notePending(temporary);
    const int out = ::open(native(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                           permissions & 0666);
    int err = out < 0 ? errno : platform::CopyAll(in, out, info.st_size);
    if (out >= 0 && err == 0 && ::fdatasync(out) != 0)
        err = errno;
    // The run's start in the time of the target's file system, which stamps
    // files by its own clock (a file server's) and to its own precision: the
    // new file's stamp against the clock now, when that is behind (a clock
    // ahead only makes more files count as written meanwhile, and the kernel
    // may stamp a file a little past the coarse clock). A file system that
    // keeps whole seconds (or two) counts anything stamped within two
    // seconds before the start as written meanwhile: it may have been.
    struct stat written {};
    qint64 since = gRunStart;
    if (out >= 0 && err == 0 && ::fstat(out, &written) == 0)
        since += std::min<qint64>(0, nanoseconds(written.st_mtim) - coarseNow())
                 - (written.st_mtim.tv_nsec == 0 ? 2 * kSecond : 0);
    if (out >= 0 && ::close(out) != 0 && err == 0)
        err = errno;
    ::close(in);
    if (err == 0)
        err = place(native(temporary), native(target), since);
    // Gone, or the file replaced, or ours when it could not be placed.
    ::unlink(native(temporary).constData());
    journal.clearPending(temporary);
    if (err == kWrittenMeanwhile)
        throw RuntimeError(RuntimeError::FileAlreadyExists,
                           QStringLiteral("The target %1 was written by another run meanwhile; nothing was written")
                               .arg(target),
                           kSource);
    if (err != 0)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot save %1: %2").arg(target, errnoText(err)), kSource);
}

} // namespace engine
