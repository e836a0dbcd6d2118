#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace engine {

// Turns a picture as libwpd hands it over into one the office can insert
// and its Word 97 export keeps: a WordPerfect Graphics picture (image/x-wpg)
// becomes a Windows metafile through libwpg, unless it only wraps a picture
// of another format (a metafile, a bitmap), which is kept as it is; PNG,
// JPEG, GIF, BMP, TIFF and metafiles stay as they are. Anything else, or a picture libwpg cannot
// read, gives none.
class PictureConverter final {
public:
    PictureConverter() = delete;

    struct Picture {
        QByteArray data;
        QString mimeType;
    };

    static std::optional<Picture> Convert(const QByteArray& data, const QString& mimeType);

private:
    // `data` as it is, when the office reads its format.
    static std::optional<Picture> Kept(const QByteArray& data, const QString& mimeType);

public:
    // A picture taken out of a WordPerfect Graphics picture, with the last
    // byte libwpg leaves out put back where its format tells what it was.
    static QByteArray Completed(QByteArray data, const QString& mimeType);
};

} // namespace engine
