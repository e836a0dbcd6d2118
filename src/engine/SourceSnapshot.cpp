#include "engine/SourceSnapshot.h"

#include "platform/TempFiles.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace engine {

namespace {

bool copyAll(int in, int out, off_t expected)
{
    char buffer[64 * 1024];
    off_t total = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return total == expected;
        total += got;
        if (total > expected)
            return false; // it grew while we read
        for (ssize_t done = 0; done < got;) {
            const ssize_t n = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
    }
}

} // namespace

std::optional<FileIdentity> SourceSnapshot::Take(const QString& source, const QString& copy)
{
    // O_NONBLOCK: opening a FIFO without a writer returns at once; fstat
    // then tells it is no regular file, and nothing is read from it.
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (in < 0)
        return std::nullopt;
    struct stat before {};
    if (::fstat(in, &before) != 0 || !S_ISREG(before.st_mode)) {
        ::close(in);
        return std::nullopt;
    }
    const QByteArray copyName = QFile::encodeName(copy);
    const int out = platform::OpenPrivateFile(copy, O_WRONLY | O_EXCL | O_NOFOLLOW);
    if (out < 0) {
        ::close(in);
        return std::nullopt;
    }
    bool good = copyAll(in, out, before.st_size);
    struct stat after {};
    good = ::fstat(in, &after) == 0 && good && FileIdentity(after) == FileIdentity(before);
    ::close(in);
    good = ::close(out) == 0 && good;
    if (!good) {
        ::unlink(copyName.constData());
        return std::nullopt;
    }
    return FileIdentity(before);
}

} // namespace engine
