#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace engine {

// Turns a picture as libwpd hands it over into one the office can insert
// and its Word 97 export keeps: a WordPerfect Graphics picture (image/x-wpg)
// becomes a Windows metafile through libwpg; PNG, JPEG, GIF, BMP, TIFF and
// metafiles stay as they are. Anything else, or a picture libwpg cannot
// read, gives none.
class PictureConverter final {
public:
    PictureConverter() = delete;

    struct Picture {
        QByteArray data;
        QString mimeType;
    };

    static std::optional<Picture> Convert(const QByteArray& data, const QString& mimeType);
};

} // namespace engine
