// SPDX-License-Identifier: MPL-2.0
#include "platform/files/FileNames.h"

#include <QDir>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // lone surrogates DC80..DCFF stand for bytes 80..FF

bool continuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `at` and its code point, or 0.
int validSequence(const QByteArray& bytes, qsizetype at, char32_t& codePoint)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    const qsizetype left = bytes.size() - at;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    int length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!continuation(byte(at + i)))
            return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are not valid.
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

// Whether the unit at `i` stands for a byte: a lone low surrogate in the
// range, not the second half of a pair.
bool isEscape(const QString& name, qsizetype i)
{
    const char16_t unit = name[i].unicode();
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF && (i == 0 || !name[i - 1].isHighSurrogate());
}

} // namespace

QString DecodeFileName(const QByteArray& bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        const int length = validSequence(bytes, at, codePoint);
        if (length == 0) {
            name.append(QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[at]))));
            ++at;
            continue;
        }
        if (codePoint >= 0x10000) {
            const char32_t units[1] = {codePoint};
            name.append(QString::fromUcs4(units, 1));
        } else {
            name.append(QChar(static_cast<char16_t>(codePoint)));
        }
        at += length;
    }
    return name;
}

QByteArray EncodeFileName(const QString& name)
{
    if (!HasUndecodableBytes(name))
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size() * 3);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isEscape(name, i))
            continue;
        bytes.append(QStringView(name).mid(runStart, i - runStart).toUtf8());
        bytes.append(static_cast<char>(name[i].unicode() - kEscapeBase));
        runStart = i + 1;
    }
    bytes.append(QStringView(name).mid(runStart).toUtf8());
    return bytes;
}

bool HasUndecodableBytes(const QString& name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isEscape(name, i))
            return true;
    }
    return false;
}

QString AbsolutePath(const QString& path)
{
    // An absolute path needs no current folder (a system call).
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

QString TextFileName(const QString& fileName, const QString& stem)
{
    if (!HasUndecodableBytes(fileName))
        return fileName;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot > 0 ? fileName.mid(dot) : QString();
    return HasUndecodableBytes(suffix) ? stem : stem + suffix;
}

std::optional<QByteArray> ReadWholeFile(const QString& path)
{
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray bytes;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, got);
    ::close(fd);
    if (got < 0)
        return std::nullopt;
    return bytes;
}

} // namespace platform
