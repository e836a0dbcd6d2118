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
        QByteArray metafile = drawing.metafile();
        if (metafile.isEmpty())
            return std::nullopt;
        return Picture{std::move(metafile), QStringLiteral("image/x-wmf")};
    }
    static const char* const kKept[] = {"image/png", "image/jpeg", "image/gif", "image/bmp",
                                        "image/tiff", "image/x-wmf", "image/x-emf"};
    for (const char* kept : kKept)
        if (mimeType == QLatin1String(kept))
            return Picture{data, mimeType};
    return std::nullopt;
}

} // namespace engine
