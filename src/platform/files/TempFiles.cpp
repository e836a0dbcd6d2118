// SPDX-License-Identifier: MPL-2.0
#include "platform/files/TempFiles.h"

#include "platform/files/FileNames.h"
#include "platform/automation/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const QString kSource = QStringLiteral("TempFiles");

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// Calls `step(done)`, which writes on from `done` bytes and returns what
// write returns, until `size` bytes are written. Returns 0, or the errno of
// the failure.
template <typename Step>
int untilDone(qint64 size, Step step)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = step(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

} // namespace

QString SystemTempPath()
{
    QString path = QDir::tempPath(); // honours TMPDIR
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString CreateTempFile(const QString& folder, const QString& prefix)
{
    // Start from a random number so that concurrent processes rarely collide;
    // O_EXCL settles the collisions that remain.
    static std::atomic<quint32> next{QRandomGenerator::global()->generate()};
    const QString stem = prefix.left(3);
    // The number has 32 bits: a folder full of earlier temporary files does
    // not run out of names.
    for (int attempt = 0; attempt < 1000000; ++attempt) {
        const quint32 unique = next.fetch_add(1);
        if (unique == 0)
            continue;
        const QString path = folder + stem + QString::number(unique, 16).toUpper() + QStringLiteral(".TMP");
        const int fd = OpenPrivateFile(path, O_WRONLY | O_EXCL);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            throw RuntimeError(errno == ENOENT ? RuntimeError::PathNotFound : RuntimeError::PermissionDenied,
                               QStringLiteral("Cannot create a temporary file in %1: %2").arg(folder, errnoText(errno)),
                               kSource);
    }
    throw RuntimeError(RuntimeError::PermissionDenied,
                       QStringLiteral("No unused temporary file name is left in %1").arg(folder), kSource);
}

void MakePrivateFolder(const QString& path)
{
    const QByteArray native = platform::EncodeFileName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        throw RuntimeError(errno == ENOENT ? RuntimeError::PathNotFound : RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot create the folder %1: %2").arg(path, errnoText(errno)), kSource);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot use the folder %1: it is not a private folder").arg(path), kSource);
    if ((info.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot close the folder %1 to others: %2").arg(path, errnoText(errno)),
                           kSource);
}

QString UnguessableText()
{
    QString text;
    for (int i = 0; i < 4; ++i)
        text += QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    return text;
}

bool IsPrivateFolder(const QString& path)
{
    struct stat info {};
    if (::lstat(platform::EncodeFileName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

QString MakeFolderUnderSharedName(const QString& shared)
{
    const QByteArray native = platform::EncodeFileName(shared);
    if (::mkdir(native.constData(), 0700) == 0)
        ::chmod(native.constData(), 0700); // whatever the umask took away
    else if (errno != EEXIST)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot create the folder %1: %2").arg(shared, errnoText(errno)), kSource);
    if (IsPrivateFolder(shared))
        return shared;
    // Somebody else's folder (or a link) has the name: a fresh private one
    // instead, and the other is left alone.
    QByteArray pattern = platform::EncodeFileName(shared + QStringLiteral("-XXXXXX"));
    if (!::mkdtemp(pattern.data()) || ::chmod(pattern.constData(), 0700) != 0)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot create a private folder %1-*: %2").arg(shared, errnoText(errno)),
                           kSource);
    return platform::DecodeFileName(pattern);
}

QStringList FoldersUnderSharedName(const QString& shared)
{
    QStringList folders;
    if (IsPrivateFolder(shared))
        folders << shared;
    const QFileInfo info(shared);
    const QDir parent = info.dir();
    const QStringList names =
        parent.entryList({info.fileName() + QStringLiteral("-*")}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names)
        if (IsPrivateFolder(parent.filePath(name)))
            folders << parent.filePath(name);
    return folders;
}

bool RemoveOwnFile(const QString& path, unsigned type)
{
    const QByteArray native = platform::EncodeFileName(path);
    struct stat info {};
    return ::lstat(native.constData(), &info) == 0 && (info.st_mode & S_IFMT) == type && info.st_uid == ::geteuid()
           && ::unlink(native.constData()) == 0;
}

int OpenPrivateFile(const QString& path, int flags)
{
    const int fd = ::open(platform::EncodeFileName(path).constData(), flags | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0 && ::fchmod(fd, 0600) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

void WritePrivateFile(const QString& path, const QByteArray& bytes)
{
    const int fd = OpenPrivateFile(path, O_WRONLY | O_TRUNC);
    const auto failed = [&](int err) {
        return RuntimeError(RuntimeError::PermissionDenied,
                            QStringLiteral("Cannot write %1: %2").arg(path, errnoText(err)), kSource);
    };
    if (fd < 0)
        throw failed(errno);
    if (const int err = WriteAll(fd, bytes)) {
        ::close(fd);
        throw failed(err);
    }
    if (::close(fd) != 0)
        throw failed(errno);
}

int WriteAll(int fd, const QByteArray& bytes)
{
    return untilDone(bytes.size(), [&](qint64 done) {
        return ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    });
}

int CopyAll(int in, int out, qint64 size)
{
    return untilDone(size, [&](qint64 done) { return ::sendfile(out, in, nullptr, static_cast<size_t>(size - done)); });
}

} // namespace platform
