// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace engine {

// What converting a WordPerfect Graphics picture would cost in memory, told
// from what its bitmaps declare, before libwpg reads any of them.
//
// libwpg allocates a bitmap by the size its record declares, not by the data
// it holds: its pixel array (16 bytes a pixel), the BMP it makes of it (4,
// twice), and the copies the conversion makes into the metafile come to 46
// bytes per declared pixel, measured (a 30 KB picture declaring 30 million
// pixels took 1.2 GB). So the records are walked as libwpg walks them
// (WordPerfect Graphics 1 and 2, in a compound file too) and every bitmap
// is costed at 48 bytes per declared pixel plus twice the data it decodes:
//
//   WPG 1 bitmap records (types 1 and 2)   width x height at their depth
//   WPG 2 bitmap data records              width x height in their colour
//                                          format, and the largest item size
//                                          their run-length data switches to
//   BMP pictures in WPG 2 image records    the width and height of their
//                                          header (the office decodes them)
//
// A picture one of whose bitmaps costs more than kBudget is not converted.
class BitmapBudget final {
public:
    BitmapBudget() = delete;

    // One bitmap may cost this much: 200 MiB, a bitmap of 2048 x 2048
    // pixels of 8 bits or less (a letter page scanned at 200 dpi has 3.7
    // million). Measured, such a bitmap takes the reader to 212 MB.
    static constexpr qint64 kBudget = qint64(200) << 20;
    static constexpr qint64 kBytesPerPixel = 48;

    struct Estimate {
        qint64 largest = 0; // the cost of its most expensive bitmap
        qint64 pixels = 0;  // declared by all its bitmaps together
    };
    // `wpg`: a WordPerfect Graphics picture as libwpd hands it over.
    static Estimate Of(const QByteArray& wpg);
    // The pixels a BMP file's header declares; 0 for anything else.
    static qint64 BmpPixels(const QByteArray& bytes);
};

} // namespace engine
