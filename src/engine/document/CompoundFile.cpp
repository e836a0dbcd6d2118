// SPDX-License-Identifier: MPL-2.0
#include "engine/document/CompoundFile.h"

#include <QList>
#include <QtEndian>

namespace engine {

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kDirectoryEntry = 128;
constexpr int kMiniSector = 64;
constexpr int kHeaderFatEntries = 109;
// Far beyond any document this program writes; keeps a damaged chain short.
constexpr quint64 kMaxStream = 512ULL * 1024 * 1024;

quint32 u32(const QByteArray& bytes, qsizetype at)
{
    return at >= 0 && at + 4 <= bytes.size() ? qFromLittleEndian<quint32>(bytes.constData() + at) : kEndOfChain;
}

quint16 u16(const QByteArray& bytes, qsizetype at)
{
    return at >= 0 && at + 2 <= bytes.size() ? qFromLittleEndian<quint16>(bytes.constData() + at) : 0;
}

} // namespace

QByteArray CompoundFile::sector(quint32 index) const
{
    const qint64 at = (qint64(index) + 1) * mSectorSize;
    if (index >= kEndOfChain - 5 || at + mSectorSize > mFile.size())
        return {};
    return mFile.mid(at, mSectorSize);
}

quint32 CompoundFile::next(quint32 index, bool mini) const
{
    return u32(mini ? mMiniFat : mFat, qsizetype(index) * 4);
}

std::optional<QByteArray> CompoundFile::chain(quint32 start, quint64 size, bool mini) const
{
    if (size > kMaxStream)
        return std::nullopt;
    const quint64 limit = (mini ? mMiniFat.size() : mFat.size()) / 4 + 1; // no chain is longer
    QByteArray data;
    quint64 steps = 0;
    for (quint32 index = start; index != kEndOfChain && quint64(data.size()) < size; index = next(index, mini)) {
        if (++steps > limit)
            return std::nullopt; // a loop
        if (mini) {
            const qint64 at = qint64(index) * kMiniSector;
            if (at + kMiniSector > mMiniStream.size())
                return std::nullopt;
            data.append(mMiniStream.constData() + at, kMiniSector);
        } else {
            const QByteArray bytes = sector(index);
            if (bytes.isEmpty())
                return std::nullopt;
            data.append(bytes);
        }
    }
    if (quint64(data.size()) < size)
        return std::nullopt;
    data.truncate(qsizetype(size));
    return data;
}

bool CompoundFile::open(const QByteArray& file)
{
    static const char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    *this = CompoundFile();
    mFile = file;
    if (file.size() < 512 || !file.startsWith(QByteArray(kSignature, 8)))
        return false;
    const quint16 shift = u16(file, 0x1E);
    if (shift != 9 && shift != 12)
        return false;
    mSectorSize = 1 << shift;
    mMiniCutoff = u32(file, 0x38);
    // The allocation table's sectors: 109 in the header, the rest in a
    // chain of further sectors, each ending with the next one's index.
    QList<quint32> fatSectors;
    const quint32 fatCount = u32(file, 0x2C);
    if (fatCount > quint32(file.size() / mSectorSize))
        return false;
    for (int i = 0; i < kHeaderFatEntries && quint32(fatSectors.size()) < fatCount; ++i)
        fatSectors.append(u32(file, 0x4C + 4 * i));
    quint32 more = u32(file, 0x44);
    for (int guard = 0; quint32(fatSectors.size()) < fatCount && more < kEndOfChain - 5; ++guard) {
        const QByteArray bytes = sector(more);
        if (bytes.isEmpty() || guard > file.size() / mSectorSize)
            return false;
        const int perSector = mSectorSize / 4 - 1;
        for (int i = 0; i < perSector && quint32(fatSectors.size()) < fatCount; ++i)
            fatSectors.append(u32(bytes, 4 * i));
        more = u32(bytes, 4 * perSector);
    }
    for (const quint32 index : fatSectors) {
        const QByteArray bytes = sector(index);
        if (bytes.isEmpty())
            return false;
        mFat.append(bytes);
    }
    // The directory has no size of its own: its chain is read to its end.
    quint64 steps = 0;
    for (quint32 index = u32(file, 0x30); index != kEndOfChain; index = next(index, false)) {
        const QByteArray bytes = sector(index);
        if (bytes.isEmpty() || ++steps > quint64(mFat.size() / 4 + 1))
            return false;
        mDirectory.append(bytes);
    }
    if (mDirectory.size() < kDirectoryEntry)
        return false;
    // The root entry holds the mini stream, where small streams live.
    const auto miniFat = chain(u32(file, 0x3C), quint64(u32(file, 0x40)) * mSectorSize, false);
    if (u32(file, 0x40) > 0 && !miniFat)
        return false;
    mMiniFat = miniFat.value_or(QByteArray());
    const quint64 rootSize = u32(mDirectory, 120);
    if (rootSize > 0) {
        const auto ministream = chain(u32(mDirectory, 116), rootSize, false);
        if (!ministream)
            return false;
        mMiniStream = *ministream;
    }
    return true;
}

std::optional<QByteArray> CompoundFile::stream(const QString& name) const
{
    for (qsizetype at = 0; at + kDirectoryEntry <= mDirectory.size(); at += kDirectoryEntry) {
        const int nameBytes = u16(mDirectory, at + 64);
        if (mDirectory.at(at + 66) != 2 || nameBytes < 2 || nameBytes > 64)
            continue; // not a stream
        QString entry;
        for (int i = 0; i + 1 < nameBytes / 2; ++i)
            entry.append(QChar(u16(mDirectory, at + 2 * i)));
        if (entry != name)
            continue;
        const quint32 start = u32(mDirectory, at + 116);
        const quint64 size = u32(mDirectory, at + 120);
        return chain(start, size, size < mMiniCutoff);
    }
    return std::nullopt;
}

} // namespace engine
