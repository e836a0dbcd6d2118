// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/reader/PictureConverter.h"

#include "engine/pictures/reader/BitmapBudget.h"
#include "engine/pictures/drawing/WmfDrawing.h"

#include <QtEndian>
#include <libwpg/libwpg.h>

namespace engine {

PictureConverter::Result PictureConverter::Convert(const QByteArray& data, const QString& mimeType, qint64 room)
{
    const auto converted = [room](std::optional<Picture> picture) -> Result {
        if (!picture)
            return {};
        if (picture->data.size() > room)
            return {Outcome::TooLarge, {}};
        return {Outcome::Converted, std::move(*picture)};
    };
    if (data.isEmpty())
        return {};
    if (mimeType != QLatin1String("image/x-wpg"))
        return converted(Kept(data, mimeType));
    // What its bitmaps declare, before libwpg allocates by it.
    const BitmapBudget::Estimate estimate = BitmapBudget::Of(data);
    if (estimate.largest > BitmapBudget::kBudget || 4 * estimate.pixels > room)
        return {Outcome::TooLarge, {}};
    const librevenge::RVNGBinaryData binary(reinterpret_cast<const unsigned char*>(data.constData()),
                                            static_cast<unsigned long>(data.size()));
    WmfDrawing drawing;
    try {
        if (!libwpg::WPGraphics::isSupported(binary.getDataStream())
            || !libwpg::WPGraphics::parse(binary.getDataStream(), &drawing))
            return {};
    } catch (...) {
        return {};
    }
    // A picture of another format wrapped whole (a metafile, a bitmap)
    // is kept as it is, which is also how Word holds it.
    if (const auto embedded = drawing.soleEmbedded())
        if (auto kept = Kept(Completed(embedded->data, embedded->mimeType), embedded->mimeType))
            return converted(std::move(kept));
    QByteArray metafile = drawing.metafile();
    if (metafile.isEmpty())
        return {};
    return converted(Picture{std::move(metafile), QStringLiteral("image/x-wmf")});
}

QByteArray PictureConverter::Completed(QByteArray data, const QString& mimeType)
{
    // libwpg hands over a picture a WordPerfect Graphics picture holds one
    // byte short: the last byte of its record. Metafiles and bitmaps say
    // their whole size in their header (the missing byte ends a record of
    // zeros); PNG and JPEG end with fixed bytes.
    const auto declared = [&](qsizetype at, qsizetype base, qsizetype unit) -> qsizetype {
        if (data.size() < at + 4)
            return 0;
        return base + unit * qsizetype(qFromLittleEndian<quint32>(data.constData() + at));
    };
    qsizetype whole = 0;
    if (mimeType.endsWith(QLatin1String("wmf"))) {
        const qsizetype header = data.startsWith(QByteArray("\xD7\xCD\xC6\x9A", 4)) ? 22 : 0;
        whole = declared(header + 6, header, 2);
    } else if (mimeType.endsWith(QLatin1String("emf"))) {
        whole = declared(48, 0, 1);
    } else if (mimeType == QLatin1String("image/bmp") && data.startsWith("BM")) {
        whole = declared(2, 0, 1);
    } else if (mimeType == QLatin1String("image/png")) {
        static const QByteArray kEnd("\x00\x00\x00\x00IEND\xAE\x42\x60\x82", 12);
        if (data.endsWith(kEnd.left(11)))
            data.append(kEnd.back());
    } else if (mimeType == QLatin1String("image/jpeg")) {
        if (data.endsWith('\xFF'))
            data.append('\xD9');
    }
    if (whole == data.size() + 1)
        data.append('\0');
    return data;
}

std::optional<PictureConverter::Picture> PictureConverter::Kept(const QByteArray& data, const QString& mimeType)
{
    // The formats the office reads and its Word export keeps, under the
    // names libwpd and libwpg give them.
    static const struct {
        const char* given;
        const char* kept;
    } kKept[] = {{"image/png", "image/png"},     {"image/jpeg", "image/jpeg"}, {"image/gif", "image/gif"},
                 {"image/bmp", "image/bmp"},     {"image/tiff", "image/tiff"}, {"image/x-wmf", "image/x-wmf"},
                 {"image/wmf", "image/x-wmf"},   {"image/x-emf", "image/x-emf"}, {"image/emf", "image/x-emf"}};
    if (data.isEmpty())
        return std::nullopt;
    for (const auto& kept : kKept)
        if (mimeType == QLatin1String(kept.given))
            return Picture{data, QString::fromLatin1(kept.kept)};
    return std::nullopt;
}

} // namespace engine
