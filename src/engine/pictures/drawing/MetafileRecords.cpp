// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/drawing/MetafileRecords.h"

#include <QtEndian>
#include <algorithm>

namespace engine {

void MetafileRecords::record(quint16 function, const QByteArray& params)
{
    const quint32 words = 3 + quint32(params.size() / 2);
    Params head;
    head.dword(words).word(function);
    mRecords.append(head.data()).append(params);
    mMaxRecordWords = std::max(mMaxRecordWords, words);
}

int MetafileRecords::createObject(quint16 function, const QByteArray& params)
{
    // The player puts a new object into the lowest free slot.
    const auto free = std::find(mSlots.begin(), mSlots.end(), false);
    const int slot = int(free - mSlots.begin());
    if (free == mSlots.end())
        mSlots.push_back(true);
    else
        *free = true;
    record(function, params);
    return slot;
}

void MetafileRecords::select(Object& current, quint16 function, const QByteArray& params)
{
    if (current.slot >= 0 && current.key == params)
        return;
    const int slot = createObject(function, params);
    record(kSelectObject, Params().word(slot).data());
    if (current.slot >= 0) {
        record(kDeleteObject, Params().word(current.slot).data());
        mSlots[size_t(current.slot)] = false;
    }
    current.slot = slot;
    current.key = params;
}

QByteArray MetafileRecords::file(qint16 right, qint16 bottom, int unitsPerInch) const
{
    Params eof;
    eof.dword(3).word(kEof);
    const quint32 words = 9 + quint32(mRecords.size() / 2) + 3;
    Params header;
    header.word(1) // in memory
        .word(9)   // header words
        .word(0x0300)
        .dword(words)
        .word(int(std::max<size_t>(mSlots.size(), 1)))
        .dword(std::max<quint32>(mMaxRecordWords, 3))
        .word(0);
    Params placeable;
    placeable.dword(0x9AC6CDD7).word(0).word(0).word(0).word(right).word(bottom).word(unitsPerInch).dword(0);
    quint16 checksum = 0;
    for (int i = 0; i < placeable.data().size(); i += 2)
        checksum ^= qFromLittleEndian<quint16>(placeable.data().constData() + i);
    placeable.word(checksum);
    return placeable.data() + header.data() + mRecords + eof.data();
}

} // namespace engine
