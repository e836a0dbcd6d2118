// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/reader/WordPerfectBoxes.h"

#include <QtEndian>

namespace engine {

namespace {

constexpr unsigned char kBoxGroup = 0xDF;
constexpr quint16 kPositioning = 0x4000; // of the box's override flags
constexpr quint16 kCounter = 0x8000;

int u16(const QByteArray& bytes, qsizetype at)
{
    return at >= 0 && at + 2 <= bytes.size() ? qFromLittleEndian<quint16>(bytes.constData() + at) : -1;
}

int u8(const QByteArray& bytes, qsizetype at)
{
    return at >= 0 && at < bytes.size() ? quint8(bytes.at(at)) : -1;
}

// The box group at `at` (its function code): [code][subgroup][size]
// [flags][prefix ids][size of the fixed part][reserved 14][sizes 2+2]
// [override flags][counter data][positioning data]...[size][code].
bool readBox(const QByteArray& file, qsizetype at, qsizetype size, WordPerfectBoxes::Box& box)
{
    const int subgroup = u8(file, at + 1);
    if (subgroup < 0 || subgroup > 2)
        return false;
    box = {WordPerfectBoxes::Anchor(subgroup), 0, 0};
    qsizetype p = at + 4;
    const int flags = u8(file, p++);
    if (flags & 0x80)
        p += 1 + 2 * qsizetype(u8(file, p));
    p += 2 + 14 + 2 + 2;
    const int overrides = u16(file, p);
    p += 2;
    if (overrides < 0)
        return true;
    if (overrides & kCounter)
        p += 2 + u16(file, p);
    if (!(overrides & kPositioning) || p >= at + size)
        return true;
    const qsizetype end = p + 2 + u16(file, p);
    qsizetype q = p + 2;
    const int positioning = u16(file, q);
    q += 2;
    if (positioning & 0x8000)
        q += 2;
    if (positioning & 0x4000)
        q += 2; // general flags
    if (positioning & 0x2000)
        q += 5; // horizontal
    if (positioning & 0x1000)
        q += 3; // vertical
    if ((positioning & 0x0800) && q + 3 <= end)
        box.width = u16(file, q + 1), q += 3;
    if ((positioning & 0x0400) && q + 3 <= end)
        box.height = u16(file, q + 1);
    return true;
}

} // namespace

std::vector<WordPerfectBoxes::Box> WordPerfectBoxes::Scan(const QByteArray& file)
{
    std::vector<Box> boxes;
    if (file.size() < 16 || !file.startsWith("\xFFWPC") || u8(file, 10) < 2)
        return boxes;
    const qsizetype text = qFromLittleEndian<quint32>(file.constData() + 4);
    for (qsizetype at = file.indexOf(char(kBoxGroup), text); at >= 0; at = file.indexOf(char(kBoxGroup), at + 1)) {
        // A group states its whole size at its start and again before its
        // closing code; anything else is a byte of some other group.
        const int size = u16(file, at + 2);
        if (size < 32 || at + size > file.size() || u8(file, at + size - 1) != kBoxGroup
            || u16(file, at + size - 3) != size)
            continue;
        Box box;
        if (readBox(file, at, size, box)) {
            boxes.push_back(box);
            at += size - 1;
        }
    }
    return boxes;
}

} // namespace engine
