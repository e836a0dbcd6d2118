// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/WordPerfectHeader.h"
#include "platform/files/FileNames.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace engine {

namespace {

QByteArray firstBytes(const QString& path)
{
    const int fd = ::open(platform::EncodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    char bytes[16];
    const ssize_t got = ::read(fd, bytes, sizeof bytes);
    ::close(fd);
    return got > 0 ? QByteArray(bytes, static_cast<int>(got)) : QByteArray();
}

} // namespace

bool WordPerfectHeader::IsPasswordProtected(const QString& path)
{
    const QByteArray bytes = firstBytes(path);
    return !bytes.isEmpty() && IsPasswordProtected(bytes);
}

bool WordPerfectHeader::IsDocument(const QString& path)
{
    return IsDocument(firstBytes(path));
}

bool WordPerfectHeader::IsDocument(const QByteArray& firstBytes)
{
    return firstBytes.size() >= 10 && firstBytes.startsWith(QByteArray("\xFF" "WPC", 4)) && firstBytes[8] == 1
           && firstBytes[9] == 10;
}

bool WordPerfectHeader::IsPasswordProtected(const QByteArray& firstBytes)
{
    if (firstBytes.startsWith(QByteArray("\xFF" "WPC", 4)) && firstBytes.size() >= 14)
        return firstBytes[12] != 0 || firstBytes[13] != 0;
    return firstBytes.startsWith(QByteArray("\xFE\xFF\x61\x61", 4));
}

} // namespace engine
