// SPDX-License-Identifier: MPL-2.0
#include "engine/document/PlainTextCopy.h"

#include "platform/files/FileNames.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::RuntimeError;

namespace engine {

QByteArray PlainTextCopy::Bytes(const QString& text)
{
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8() + '\n';
}

void PlainTextCopy::Write(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = platform::EncodeFileName(path);
    const auto failed = [&](const QString& why) {
        return RuntimeError(RuntimeError::PermissionDenied, QStringLiteral("Cannot save %1: %2").arg(path, why),
                            QStringLiteral("Office engine"));
    };
    const auto errnoText = [](int err) { return QString::fromLocal8Bit(std::strerror(err)); };
    // Non-blocking: a FIFO without a reader fails at once instead of
    // waiting for one.
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        throw failed(errnoText(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw failed(QStringLiteral("it is not a regular file"));
    }
    if (const int err = platform::WriteAll(fd, bytes)) {
        ::close(fd);
        ::unlink(name.constData()); // no half copy
        throw failed(errnoText(err));
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(name.constData());
        throw failed(errnoText(err));
    }
}

} // namespace engine
