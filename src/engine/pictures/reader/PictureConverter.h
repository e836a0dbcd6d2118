// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QString>
#include <limits>
#include <optional>

namespace engine {

// Turns a picture as libwpd hands it over into one the office can insert
// and its Word 97 export keeps: a WordPerfect Graphics picture (image/x-wpg)
// becomes a Windows metafile through libwpg, unless it only wraps a picture
// of another format (a metafile, a bitmap), which is kept as it is; PNG,
// JPEG, GIF, BMP, TIFF and metafiles stay as they are. Anything else, or a picture libwpg cannot
// read, gives none; nor does a WordPerfect Graphics picture whose bitmaps
// declare more than their budget (see BitmapBudget), which libwpg never sees.
class PictureConverter final {
public:
    PictureConverter() = delete;

    struct Picture {
        QByteArray data;
        QString mimeType;
    };
    // (The numbers travel from the picture reader to the engine.)
    enum class Outcome : quint8 { Converted = 0, Unreadable = 1, TooLarge = 2 };
    struct Result {
        Outcome outcome = Outcome::Unreadable;
        Picture picture; // when converted
    };

    // `room`: the most bytes the converted picture may take (its bitmaps
    // are costed at 4 bytes a declared pixel before they are converted).
    static Result Convert(const QByteArray& data, const QString& mimeType,
                          qint64 room = std::numeric_limits<qint64>::max());

private:
    // `data` as it is, when the office reads its format.
    static std::optional<Picture> Kept(const QByteArray& data, const QString& mimeType);

public:
    // A picture taken out of a WordPerfect Graphics picture, with the last
    // byte libwpg leaves out put back where its format tells what it was.
    static QByteArray Completed(QByteArray data, const QString& mimeType);
};

} // namespace engine
