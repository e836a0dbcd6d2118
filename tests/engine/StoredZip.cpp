// SPDX-License-Identifier: MPL-2.0
#include "StoredZip.h"

#include <QDataStream>
#include <QIODevice>
#include <array>

namespace enginetest {

namespace {

quint32 crc32(const QByteArray& data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = table[(crc ^ static_cast<quint8>(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

} // namespace

QByteArray StoredZip::bytes() const
{
    QByteArray archive;
    QByteArray directory;
    QDataStream out(&archive, QIODevice::WriteOnly);
    QDataStream central(&directory, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    central.setByteOrder(QDataStream::LittleEndian);
    for (const auto& [name, data] : mEntries) {
        const quint32 offset = static_cast<quint32>(archive.size());
        const quint32 crc = crc32(data);
        const quint32 size = static_cast<quint32>(data.size());
        // Local header: version 10, no flags, stored, no date.
        out << quint32(0x04034b50) << quint16(10) << quint16(0) << quint16(0) << quint16(0) << quint16(0x21)
            << crc << size << size << quint16(name.size()) << quint16(0);
        out.writeRawData(name.constData(), static_cast<int>(name.size()));
        out.writeRawData(data.constData(), static_cast<int>(data.size()));
        central << quint32(0x02014b50) << quint16(20) << quint16(10) << quint16(0) << quint16(0) << quint16(0)
                << quint16(0x21) << crc << size << size << quint16(name.size()) << quint16(0) << quint16(0)
                << quint16(0) << quint16(0) << quint32(0) << offset;
        central.writeRawData(name.constData(), static_cast<int>(name.size()));
    }
    const quint32 directoryOffset = static_cast<quint32>(archive.size());
    out.writeRawData(directory.constData(), static_cast<int>(directory.size()));
    out << quint32(0x06054b50) << quint16(0) << quint16(0) << quint16(mEntries.size()) << quint16(mEntries.size())
        << quint32(directory.size()) << directoryOffset << quint16(0);
    return archive;
}

} // namespace enginetest
