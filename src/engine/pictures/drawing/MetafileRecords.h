// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QtGlobal>
#include <vector>

namespace engine {

// A Windows metafile as it is written: its records, the table of the
// objects (pens, brushes, fonts) they create, and the whole file with its
// placeable header, its header and its closing record.
class MetafileRecords final {
public:
    // Record functions (the low byte names the record, the high byte the
    // number of parameter words some players expect).
    enum Function : quint16 {
        kEof = 0x0000,
        kSetBkMode = 0x0102,
        kSetMapMode = 0x0103,
        kSetPolyFillMode = 0x0106,
        kSelectObject = 0x012D,
        kSetTextAlign = 0x012E,
        kDeleteObject = 0x01F0,
        kSetTextColor = 0x0209,
        kSetWindowOrg = 0x020B,
        kSetWindowExt = 0x020C,
        kMoveTo = 0x0214,
        kCreatePenIndirect = 0x02FA,
        kCreateFontIndirect = 0x02FB,
        kCreateBrushIndirect = 0x02FC,
        kPolygon = 0x0324,
        kPolyline = 0x0325,
        kEllipse = 0x0418,
        kRectangle = 0x041B,
        kPolyPolygon = 0x0538,
        kRoundRect = 0x061C,
        kExtTextOut = 0x0A32,
        kStretchDib = 0x0F43,
    };

    // A record's parameters: 16-bit words, little-endian.
    class Params {
    public:
        Params& word(qint32 value)
        {
            const quint16 w = quint16(value);
            mBytes.append(char(w & 0xFF)).append(char(w >> 8));
            return *this;
        }
        Params& dword(quint32 value) { return word(qint32(value & 0xFFFF)).word(qint32(value >> 16)); }
        Params& point(const QPoint& p) { return word(p.x()).word(p.y()); }
        Params& bytes(const QByteArray& b)
        {
            mBytes.append(b);
            if (b.size() % 2)
                mBytes.append('\0');
            return *this;
        }
        const QByteArray& data() const { return mBytes; }

    private:
        QByteArray mBytes;
    };

    // An object created and selected, and what it was made of.
    struct Object {
        int slot = -1;
        QByteArray key;
    };

    void record(quint16 function, const QByteArray& params);
    // Creates an object from `params` and selects it in place of
    // `current`, which is deleted; nothing when it is the same already.
    void select(Object& current, quint16 function, const QByteArray& params);
    // The file: a picture of right x bottom units, `unitsPerInch` to an inch.
    QByteArray file(qint16 right, qint16 bottom, int unitsPerInch) const;

private:
    int createObject(quint16 function, const QByteArray& params);

    QByteArray mRecords;
    quint32 mMaxRecordWords = 0;
    std::vector<bool> mSlots;
};

} // namespace engine
