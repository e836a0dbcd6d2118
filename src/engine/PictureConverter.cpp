#include "engine/PictureConverter.h"

#include "engine/WmfDrawing.h"

#include <libwpg/libwpg.h>

namespace engine {

std::optional<PictureConverter::Picture> PictureConverter::Convert(const QByteArray& data, const QString& mimeType)
{
    if (data.isEmpty())
        return std::nullopt;
    if (mimeType == QLatin1String("image/x-wpg")) {
        const librevenge::RVNGBinaryData binary(reinterpret_cast<const unsigned char*>(data.constData()),
                                                static_cast<unsigned long>(data.size()));
        WmfDrawing drawing;
        try {
            if (!libwpg::WPGraphics::isSupported(binary.getDataStream())
                || !libwpg::WPGraphics::parse(binary.getDataStream(), &drawing))
                return std::nullopt;
        } catch (...) {
            return std::nullopt;
        }
        // A picture of another format wrapped whole (a metafile, a bitmap)
        // is kept as it is, which is also how Word holds it.
        if (const auto embedded = drawing.soleEmbedded())
            if (auto kept = Kept(embedded->data, embedded->mimeType))
                return kept;
        QByteArray metafile = drawing.metafile();
        if (metafile.isEmpty())
            return std::nullopt;
        return Picture{std::move(metafile), QStringLiteral("image/x-wmf")};
    }
    return Kept(data, mimeType);
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
