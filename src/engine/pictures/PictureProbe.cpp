// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/PictureProbe.h"

#include "engine/pictures/WordPerfectHeader.h"

#include <QFile>
#include <QtEndian>

namespace engine {

namespace {

// WordPerfect 5.x and 6+ share the 16-byte header: "\xFFWPC", the offset of
// the text (u32), product type 1, file type 10, major and minor version.
constexpr int kHeaderSize = 16;
constexpr char kMajorVersion5 = 0;
constexpr char kMajorVersion6 = 2;

// WordPerfect 6+: the index header's offset (u16) sits at 14; the index
// header holds the number of index entries (u16, the header included) at 2
// and is 14 bytes long, as is each entry: flags (u8), packet type (u8), use
// count (u16), hidden count (u16), data size (u32), data offset (u32).
constexpr qint64 kIndexHeaderPointer = 14;
constexpr int kIndexEntrySize = 14;
constexpr quint8 kGraphicsCachedFileData = 0x6F;

// WordPerfect 5.x: from offset 16, a chain of index blocks, each a 10-byte
// block header (type 0xFFFB, entry count including the header, block size,
// offset of the next block as u32, 0 at the end) and 10-byte entries: packet
// type (u16), data length (u32), data offset (u32).
constexpr quint16 kIndexBlockType = 0xFFFB;
constexpr int kBlockEntrySize = 10;
constexpr quint16 kGraphicsInformation = 8;
constexpr int kMaxIndexBlocks = 4096; // a chain that loops is damaged

QByteArray readAt(QIODevice& file, qint64 offset, qint64 length)
{
    if (!file.seek(offset))
        return {};
    return file.read(length);
}

quint16 u16(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// What a prefix that cannot be read to its end declares: maybe a picture.
constexpr int kMaybe = 1;

int wordPerfect6(QIODevice& file, const QByteArray& header)
{
    const quint16 indexHeader = u16(header, kIndexHeaderPointer);
    const QByteArray head = readAt(file, indexHeader, kIndexEntrySize);
    if (head.size() < kIndexEntrySize)
        return kMaybe;
    const int entries = u16(head, 2);
    if (entries <= 1)
        return 0;
    const qint64 length = qint64(entries - 1) * kIndexEntrySize;
    const QByteArray index = readAt(file, indexHeader + kIndexEntrySize, length);
    if (index.size() < length)
        return kMaybe;
    int pictures = 0;
    for (int at = 0; at < index.size(); at += kIndexEntrySize)
        if (quint8(index[at + 1]) == kGraphicsCachedFileData && u32(index, at + 6) > 0)
            ++pictures;
    return pictures;
}

int wordPerfect5(QIODevice& file)
{
    qint64 block = kHeaderSize;
    for (int blocks = 0; blocks < kMaxIndexBlocks && block != 0; ++blocks) {
        const QByteArray head = readAt(file, block, kBlockEntrySize);
        if (head.size() < kBlockEntrySize)
            return kMaybe;
        if (u16(head, 0) != kIndexBlockType)
            return blocks == 0 ? 0 : kMaybe; // no index at all, or a broken chain
        const int entries = u16(head, 2);
        const qint64 length = qint64(qMax(entries - 1, 0)) * kBlockEntrySize;
        const QByteArray index = readAt(file, block + kBlockEntrySize, length);
        if (index.size() < length)
            return kMaybe;
        for (int at = 0; at < index.size(); at += kBlockEntrySize) {
            if (u16(index, at) != kGraphicsInformation || u32(index, at + 2) < 2)
                continue;
            // The packet opens with the number of pictures it holds.
            const QByteArray count = readAt(file, u32(index, at + 6), 2);
            if (count.size() < 2)
                return kMaybe;
            if (u16(count, 0) > 0)
                return u16(count, 0);
        }
        block = u32(head, 6);
    }
    return block != 0 ? kMaybe : 0;
}

} // namespace

int PictureProbe::Declared(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return 0;
    return Declared(file);
}

int PictureProbe::Declared(QIODevice& file)
{
    const QByteArray header = readAt(file, 0, kHeaderSize);
    if (header.size() < kHeaderSize || !WordPerfectHeader::IsDocument(header))
        return 0;
    if (header[10] == kMajorVersion6)
        return wordPerfect6(file, header);
    if (header[10] == kMajorVersion5)
        return wordPerfect5(file);
    return 0;
}

} // namespace engine
