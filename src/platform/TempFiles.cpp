#include "platform/TempFiles.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

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
        const QByteArray native = QFile::encodeName(path);
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            throw RuntimeError(errno == ENOENT ? RuntimeError::PathNotFound : RuntimeError::PermissionDenied,
                               QStringLiteral("Cannot create a temporary file in %1: %2")
                                   .arg(folder, QString::fromLocal8Bit(std::strerror(errno))),
                               QStringLiteral("TempFiles"));
    }
    throw RuntimeError(RuntimeError::PermissionDenied,
                       QStringLiteral("No unused temporary file name is left in %1").arg(folder),
                       QStringLiteral("TempFiles"));
}

} // namespace platform
