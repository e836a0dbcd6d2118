// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/pictures/reader/EmbeddedPicture.h"
#include "engine/pictures/reader/PictureConverter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace engine {

// What the picture reader (the helper process tallowin-picture-reader)
// hands back to the engine through its pipe, and how the engine reads it
// without trusting it beyond its form.
//
// A greeting ("TPR" and the format's version), then messages of a kind
// byte, a length (u32) and that many bytes, all numbers little-endian:
//
//   'F'  the frames, once and first: the pictures the reader left out
//        (u32 unread, u32 unplaced), the number of different pictures
//        (u32), the number of frames (u32), then each frame: the picture it
//        shows (u32), width, height, x, y (u8 given, f64 inches), six names
//        (u8 length, UTF-8), the page (6 x f64), u8 pageOffsetLessMargin,
//        and its place (i32 element, cell, paragraphInCell, offset); then
//        where in the document the pictures over their budget begin (u32
//        count, u32 offsets), which the office must not read either
//   'P'  one picture, once: its number (u32), the outcome (u8: 0 converted,
//        1 unreadable, 2 too large), its type (u8 length, text), and for a
//        converted picture its data, the rest of the message
//   'E'  the end
//
// The reader checks every length against what it was given and against the
// limit of the whole answer, every number against its range (lengths of
// inches and places the office could use, types the office reads); anything
// else is malformed and ends the reading.
class PictureTransfer final {
public:
    PictureTransfer() = delete;

    using Outcome = PictureConverter::Outcome;
    // The reader's exit code when an allocation failed.
    static constexpr int kOutOfMemory = 3;
    // A picture message's own bytes, at most (its data aside).
    static constexpr qint64 kPictureMessageBytes = 5 + 6 + 32;

    // The most bytes the answer for a document of `documentBytes` may take:
    // 32 MiB, and twice the document (what it holds may be pictures).
    static qint64 Limit(qint64 documentBytes);

    // Writing (the reader process).
    static QByteArray Greeting();
    // `frames` without their data; `pictureOf[i]` the picture frame i shows.
    static QByteArray Frames(const QList<EmbeddedPicture>& frames, const QList<int>& pictureOf, int pictures,
                             int unread, int unplaced, const QList<qint64>& tooLargeAt = {});
    static QByteArray Picture(int index, Outcome outcome, const QString& mimeType = QString(),
                              const QByteArray& data = QByteArray());
    static QByteArray End();

    // Reading (the engine).
    struct Received {
        enum class Stop { End, SourceEnded, Malformed, OverLimit };
        Stop stop = Stop::SourceEnded;
        bool framesArrived = false;
        QList<EmbeddedPicture> frames; // without their data
        QList<int> pictureOf;
        int unread = 0;
        int unplaced = 0;
        QList<qint64> tooLargeAt; // offsets in the document
        struct Picture {
            Outcome outcome = Outcome::Unreadable;
            QString mimeType;
            QByteArray data;
        };
        QList<std::optional<Picture>> pictures; // as many as the frames say, filled as they come
    };
    // Fills `into` with exactly `length` bytes; false when the stream ended
    // or failed first.
    using Source = std::function<bool(char* into, qsizetype length)>;
    // `onFrames` is told as soon as the frames have arrived.
    static Received Read(const Source& source, qint64 limit,
                         const std::function<void(const Received&)>& onFrames = {});
};

} // namespace engine
