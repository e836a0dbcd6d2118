#include "engine/document/WordFile.h"

#include "platform/FileNames.h"
#include "platform/RunFolder.h"
#include "platform/RuntimeError.h"
#include "platform/TempFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
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
    if (out >= 0 && ::close(out) != 0 && err == 0)
        err = errno;
    ::close(in);
    if (err == 0 && ::rename(native(temporary).constData(), native(target).constData()) != 0)
        err = errno;
    if (err != 0)
        ::unlink(native(temporary).constData());
    journal.clearPending(temporary);
    if (err != 0)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot save %1: %2").arg(target, errnoText(err)), kSource);
}

} // namespace engine
