// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/reader/BitmapBudget.h"

#include <QtEndian>
#include <algorithm>
#include <librevenge-stream/librevenge-stream.h>
#include <memory>

namespace engine {

namespace {

// Reads a picture's bytes as libwpg's parsers do: little-endian, and 0 for
// what lies past the end.
class Cursor {
public:
    explicit Cursor(const QByteArray& bytes) : mBytes(bytes) {}

    qsizetype at() const { return mAt; }
    bool atEnd() const { return mAt >= mBytes.size(); }
    void seek(qsizetype at) { mAt = std::clamp<qsizetype>(at, 0, mBytes.size()); }
    quint8 u8() { return atEnd() ? 0 : quint8(mBytes[mAt++]); }
    quint16 u16()
    {
        const quint16 low = u8();
        return quint16(low | (u8() << 8));
    }
    qint16 s16() { return qint16(u16()); }
    // libwpg's variable-length integer: one byte below 0xFF, else 16 bits,
    // or 31 when the top bit of those is set.
    quint32 length()
    {
        const quint8 small = u8();
        if (small != 0xFF)
            return small;
        const quint16 value = u16();
        if (!(value & 0x8000))
            return value;
        return (quint32(value & 0x7FFF) << 16) | u16();
    }
    QByteArray bytes(qsizetype from, qsizetype to) const { return mBytes.mid(from, to - from); }

private:
    const QByteArray& mBytes;
    qsizetype mAt = 0;
};

constexpr int kHeaderSize = 16;

struct Header {
    bool supported = false;
    quint32 start = 0;
    int major = 0;
};

Header headerAt(const QByteArray& bytes, qsizetype at)
{
    if (at < 0 || bytes.size() - at < 26) // libwpg reads 26 bytes of it
        return {};
    const char* h = bytes.constData() + at;
    Header header;
    header.start = qFromLittleEndian<quint32>(h + 4);
    header.major = quint8(h[10]);
    header.supported = QByteArray::fromRawData(h, 4) == "\xFFWPC" && h[8] == 0x01 && h[9] == 0x16
                       && qFromLittleEndian<quint16>(h + 12) == 0 && (header.major == 1 || header.major == 2)
                       && h[11] == 0;
    return header;
}

void add(BitmapBudget::Estimate& estimate, qint64 pixels, qint64 decoded)
{
    estimate.pixels += pixels;
    // The decoded data's vector may grow to twice what was reserved.
    estimate.largest = std::max(estimate.largest, BitmapBudget::kBytesPerPixel * pixels + 2 * decoded);
}

// WPG 1: [type][length] records; bitmap records declare width, height and
// depth (type 2 after a rotation and a rectangle).
void scanWpg1(Cursor& in, BitmapBudget::Estimate& estimate)
{
    while (!in.atEnd()) {
        const quint8 type = in.u8();
        if (type == 0)
            break;
        const qsizetype length = in.length();
        const qsizetype end = in.at() + length;
        if (type == 0x0B || type == 0x14) {
            if (type == 0x14)
                in.seek(in.at() + 10);
            const qint64 width = std::max<qint16>(in.s16(), 0);
            const qint64 height = std::max<qint16>(in.s16(), 0);
            const qint64 depth = in.s16();
            if (depth == 1 || depth == 2 || depth == 4 || depth == 8)
                add(estimate, width * height, (width * depth + 7) / 8 * height);
        }
        in.seek(end);
    }
}

// The bytes per pixel of a WPG 2 bitmap's colour format (libwpg's buffer).
qint64 decodedSize(int format, qint64 width, qint64 height)
{
    switch (format) {
    case 1: return (width / 8 + 1) * height;
    case 2: return (width / 4 + 1) * height;
    case 3: return (width / 2 + 1) * height;
    case 5: case 6: case 7: return 2 * width * height;
    case 8: return 3 * width * height;
    case 9: return 4 * width * height;
    case 10: return 6 * width * height;
    case 11: return 8 * width * height;
    default: return width * height;
    }
}

// The largest item size (bytes) a WPG 2 bitmap's run-length data switches
// to, 0 when it never switches: libwpg then makes room for that many bytes
// a pixel.
qint64 largestItem(Cursor& in, qsizetype end)
{
    qint64 item = 1;
    qint64 largest = 0;
    while (in.at() < end && !in.atEnd()) {
        const quint8 code = in.u8();
        if (code == 0x7D) {
            const qint64 size = in.u8();
            if (size != item)
                largest = std::max(largest, size);
            item = size;
        } else if (code == 0x7F || code == 0xFF || code == 0xFD || code == 0xFE) {
            in.seek(in.at() + 1);
        } else if (code >= 0x80) {
            in.seek(in.at() + item);
        } else if (code != 0x7E) {
            in.seek(in.at() + (code + 1) * item);
        }
    }
    return largest;
}

// WPG 2: [class][type][extension][length] records.
void scanWpg2(Cursor& in, BitmapBudget::Estimate& estimate)
{
    while (!in.atEnd()) {
        in.u8();
        const quint8 type = in.u8();
        if (type == 0 || type > 0x3F)
            break;
        in.length(); // extension
        const qsizetype length = in.length();
        const qsizetype end = in.at() + length;
        if (type == 0x0E) { // bitmap data
            const qint64 width = in.u16();
            const qint64 height = in.u16();
            const int format = in.u8();
            const bool runLength = in.u8() == 1;
            if (format <= 12) {
                const qint64 decoded = decodedSize(format, width, height);
                const qint64 item = runLength ? largestItem(in, end) : 0;
                add(estimate, width * height, std::max(decoded, item * width * height));
            }
        } else if (type == 0x12) { // image: a picture of another format
            const quint16 accessory = in.u16();
            const qint64 pixels = BitmapBudget::BmpPixels(in.bytes(in.at() + accessory, std::min(end, in.at() + accessory + 26)));
            if (pixels > 0)
                add(estimate, pixels, 0);
        }
        in.seek(end);
    }
}

// A picture in a compound file (as WordPerfect keeps some) is its
// "PerfectOffice_MAIN" stream, as libwpg reads it.
QByteArray mainStream(const QByteArray& wpg)
{
    librevenge::RVNGStringStream input(reinterpret_cast<const unsigned char*>(wpg.constData()),
                                       static_cast<unsigned int>(wpg.size()));
    if (!input.isStructured())
        return wpg;
    const std::unique_ptr<librevenge::RVNGInputStream> main(input.getSubStreamByName("PerfectOffice_MAIN"));
    if (!main || main->seek(0, librevenge::RVNG_SEEK_END) != 0)
        return {};
    const long size = main->tell();
    main->seek(0, librevenge::RVNG_SEEK_SET);
    unsigned long got = 0;
    const unsigned char* data = main->read(static_cast<unsigned long>(std::max(size, 0L)), got);
    return data ? QByteArray(reinterpret_cast<const char*>(data), qsizetype(got)) : QByteArray();
}

} // namespace

BitmapBudget::Estimate BitmapBudget::Of(const QByteArray& wpg)
{
    Estimate estimate;
    try {
        const QByteArray bytes = mainStream(wpg);
        Header header = headerAt(bytes, 0);
        if (!header.supported)
            return estimate; // libwpg reads nothing of it
        qsizetype start = header.start;
        if (header.major == 1) {
            // libwpg also reads a WPG 1 picture that carries a second header.
            if (const Header second = headerAt(bytes, start); second.supported)
                start = qsizetype(second.start) + kHeaderSize;
        }
        Cursor in(bytes);
        in.seek(start);
        if (header.major == 1)
            scanWpg1(in, estimate);
        else
            scanWpg2(in, estimate);
    } catch (...) {
        // A compound file librevenge cannot read: libwpg cannot either.
    }
    return estimate;
}

qint64 BitmapBudget::BmpPixels(const QByteArray& bytes)
{
    // "BM", the file header (14 bytes), then the info header: its size (4),
    // then width and height, 16 bits each in the old 12-byte header, else
    // 32 (the height negative for a bitmap stored top-down).
    if (bytes.size() < 26 || !bytes.startsWith("BM"))
        return 0;
    const char* info = bytes.constData() + 14;
    if (qFromLittleEndian<quint32>(info) == 12)
        return qint64(qFromLittleEndian<quint16>(info + 4)) * qFromLittleEndian<quint16>(info + 6);
    const qint64 width = qFromLittleEndian<qint32>(info + 4);
    const qint64 height = qFromLittleEndian<qint32>(info + 8);
    return std::abs(width) * std::abs(height);
}

} // namespace engine
