// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/reader/PictureTransfer.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace engine {

namespace {

constexpr char kGreeting[] = "TPR\x01";
constexpr qsizetype kGreetingSize = 4;
constexpr qsizetype kMessageHeader = 5;
constexpr char kFrames = 'F';
constexpr char kPicture = 'P';
constexpr char kEnd = 'E';

// What a frame's numbers may be: lengths in inches (WordPerfect's pages are
// far smaller), places in the text and counts.
constexpr double kMaxInches = 10000;
constexpr qint32 kMaxPlace = 1 << 24;
constexpr quint32 kMaxCount = 1 << 20;
constexpr int kMaxName = 32;

// The types a converted picture may have: those the office is given.
const char* const kTypes[] = {"image/x-wmf", "image/x-emf", "image/png", "image/jpeg",
                              "image/gif",   "image/bmp",   "image/tiff"};

class Writer {
public:
    Writer& u8(quint8 v)
    {
        mBytes.append(char(v));
        return *this;
    }
    Writer& u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        mBytes.append(b, 4);
        return *this;
    }
    Writer& f64(double v)
    {
        quint64 bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        char b[8];
        qToLittleEndian(bits, b);
        mBytes.append(b, 8);
        return *this;
    }
    Writer& name(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8().left(kMaxName);
        u8(quint8(utf8.size()));
        mBytes.append(utf8);
        return *this;
    }
    Writer& length(const std::optional<double>& inches)
    {
        u8(inches ? 1 : 0);
        return f64(inches.value_or(0));
    }
    // The message of this kind, its length counting `more` bytes that the
    // caller appends.
    QByteArray message(char kind, qsizetype more = 0) const
    {
        Writer whole;
        whole.u8(quint8(kind)).u32(quint32(mBytes.size() + more));
        return whole.mBytes + mBytes;
    }

private:
    QByteArray mBytes;
};

// Reads a message's bytes; a read past the end, or a value out of its
// range, makes the whole message malformed.
class Parser {
public:
    explicit Parser(const QByteArray& bytes) : mBytes(bytes) {}

    bool good() const { return mOk; }
    bool ok() const { return mOk && mAt == mBytes.size(); }
    const char* take(qsizetype n)
    {
        if (!mOk || n > mBytes.size() - mAt) {
            mOk = false;
            return nullptr;
        }
        mAt += n;
        return mBytes.constData() + mAt - n;
    }
    quint8 u8()
    {
        const char* p = take(1);
        return p ? quint8(*p) : 0;
    }
    quint32 u32(quint32 max = kMaxCount)
    {
        const char* p = take(4);
        const quint32 v = p ? qFromLittleEndian<quint32>(p) : 0;
        return check(v <= max) ? v : 0;
    }
    qint32 place(qint32 min)
    {
        const char* p = take(4);
        const qint32 v = p ? qFromLittleEndian<qint32>(p) : 0;
        return check(v >= min && v <= kMaxPlace) ? v : 0;
    }
    double inches(double min)
    {
        const char* p = take(8);
        double v = 0;
        if (p) {
            const quint64 bits = qFromLittleEndian<quint64>(p);
            std::memcpy(&v, &bits, sizeof v);
        }
        return check(std::isfinite(v) && v >= min && v <= kMaxInches) ? v : 0;
    }
    std::optional<double> length()
    {
        const quint8 given = u8();
        const double v = inches(-kMaxInches);
        check(given <= 1);
        return given ? std::optional<double>(v) : std::nullopt;
    }
    QString name()
    {
        const quint8 size = u8();
        if (!check(size <= kMaxName))
            return {};
        const char* p = take(size);
        return p ? QString::fromUtf8(p, size) : QString();
    }

private:
    bool check(bool condition)
    {
        mOk = mOk && condition;
        return condition;
    }

    const QByteArray& mBytes;
    qsizetype mAt = 0;
    bool mOk = true;
};

// Fills `received` only when the whole message is well formed.
bool parseFrames(const QByteArray& payload, PictureTransfer::Received& whole)
{
    PictureTransfer::Received received;
    Parser in(payload);
    received.unread = int(in.u32());
    received.unplaced = int(in.u32());
    const quint32 pictures = in.u32();
    const quint32 frames = in.u32();
    if (pictures > frames || (frames > 0 && pictures == 0))
        return false;
    for (quint32 i = 0; i < frames && in.good(); ++i) {
        const quint32 picture = in.u32(pictures - 1);
        EmbeddedPicture frame;
        frame.width = in.length();
        frame.height = in.length();
        frame.x = in.length();
        frame.y = in.length();
        for (QString* name : {&frame.anchorType, &frame.horizontalPos, &frame.horizontalRel, &frame.verticalPos,
                              &frame.verticalRel, &frame.wrap})
            *name = in.name();
        for (double* side : {&frame.page.width, &frame.page.height, &frame.page.marginLeft, &frame.page.marginRight,
                             &frame.page.marginTop, &frame.page.marginBottom})
            *side = in.inches(0);
        frame.pageOffsetLessMargin = in.u8() != 0;
        frame.element = in.place(0);
        frame.cell = in.place(-1);
        frame.paragraphInCell = in.place(0);
        frame.offset = in.place(0);
        received.frames.append(std::move(frame));
        received.pictureOf.append(int(picture));
    }
    const quint32 tooLarge = in.u32(pictures);
    for (quint32 i = 0; i < tooLarge && in.good(); ++i)
        received.tooLargeAt.append(in.u32(~0u));
    if (!in.ok() || quint32(received.frames.size()) != frames)
        return false;
    received.pictures.resize(pictures);
    whole.unread = received.unread;
    whole.unplaced = received.unplaced;
    whole.frames = std::move(received.frames);
    whole.pictureOf = std::move(received.pictureOf);
    whole.pictures = std::move(received.pictures);
    whole.tooLargeAt = std::move(received.tooLargeAt);
    return true;
}

bool knownType(const QString& type)
{
    for (const char* known : kTypes)
        if (type == QLatin1String(known))
            return true;
    return false;
}

} // namespace

qint64 PictureTransfer::Limit(qint64 documentBytes)
{
    return (qint64(32) << 20) + 2 * documentBytes;
}

QByteArray PictureTransfer::Greeting()
{
    return QByteArray(kGreeting, kGreetingSize);
}

QByteArray PictureTransfer::Frames(const QList<EmbeddedPicture>& frames, const QList<int>& pictureOf, int pictures,
                                   int unread, int unplaced, const QList<qint64>& tooLargeAt)
{
    Writer out;
    out.u32(quint32(unread)).u32(quint32(unplaced)).u32(quint32(pictures)).u32(quint32(frames.size()));
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const EmbeddedPicture& f = frames[i];
        out.u32(quint32(pictureOf[i])).length(f.width).length(f.height).length(f.x).length(f.y);
        for (const QString* name : {&f.anchorType, &f.horizontalPos, &f.horizontalRel, &f.verticalPos,
                                    &f.verticalRel, &f.wrap})
            out.name(*name);
        for (double side : {f.page.width, f.page.height, f.page.marginLeft, f.page.marginRight, f.page.marginTop,
                            f.page.marginBottom})
            out.f64(side);
        out.u8(f.pageOffsetLessMargin ? 1 : 0)
            .u32(quint32(f.element))
            .u32(quint32(f.cell))
            .u32(quint32(f.paragraphInCell))
            .u32(quint32(f.offset));
    }
    out.u32(quint32(tooLargeAt.size()));
    for (const qint64 at : tooLargeAt)
        out.u32(quint32(at));
    return out.message(kFrames);
}

QByteArray PictureTransfer::Picture(int index, Outcome outcome, const QString& mimeType, const QByteArray& data)
{
    Writer out;
    out.u32(quint32(index)).u8(quint8(outcome)).name(mimeType);
    return out.message(kPicture, data.size()) + data;
}

QByteArray PictureTransfer::End()
{
    return Writer().message(kEnd);
}

namespace {

// The answer read message by message: every length against what is left of
// the limit, every message against the order and ranges above. Each step
// returns false once the reading stops, `received.stop` saying why.
class AnswerReader {
public:
    using Received = PictureTransfer::Received;
    using Stop = Received::Stop;

    AnswerReader(const PictureTransfer::Source& source, qint64 limit) : mSource(source), mLeft(limit) {}

    // Fills `into` with `length` bytes.
    bool take(QByteArray& into, qsizetype length)
    {
        if (length > mLeft)
            return stop(Stop::OverLimit);
        into.resize(length);
        if (!mSource(into.data(), length))
            return stop(Stop::SourceEnded);
        mLeft -= length;
        return true;
    }
    bool stop(Stop why)
    {
        received.stop = why;
        return false;
    }
    bool greeting()
    {
        QByteArray bytes;
        return take(bytes, kGreetingSize) && (bytes == PictureTransfer::Greeting() || stop(Stop::Malformed));
    }
    // One message; the frames are told to `onFrames`.
    bool message(const std::function<void(const Received&)>& onFrames);

    Received received;

private:
    bool frames(qint64 length, const std::function<void(const Received&)>& onFrames);
    bool picture(qint64 length);

    const PictureTransfer::Source& mSource;
    qint64 mLeft;
    QByteArray mBytes;
};

bool AnswerReader::message(const std::function<void(const Received&)>& onFrames)
{
    if (!take(mBytes, kMessageHeader))
        return false;
    const char kind = mBytes[0];
    const qint64 length = qFromLittleEndian<quint32>(mBytes.constData() + 1);
    if (length > mLeft)
        return stop(Stop::OverLimit);
    if (kind == kEnd)
        return stop(length == 0 && received.framesArrived ? Stop::End : Stop::Malformed);
    if (kind == kFrames)
        return frames(length, onFrames);
    if (kind != kPicture || !received.framesArrived || length < 6)
        return stop(Stop::Malformed);
    return picture(length);
}

bool AnswerReader::frames(qint64 length, const std::function<void(const Received&)>& onFrames)
{
    if (received.framesArrived)
        return stop(Stop::Malformed);
    if (!take(mBytes, length))
        return false;
    if (!parseFrames(mBytes, received))
        return stop(Stop::Malformed);
    received.framesArrived = true;
    if (onFrames)
        onFrames(received);
    return true;
}

bool AnswerReader::picture(qint64 length)
{
    if (!take(mBytes, 6))
        return false;
    const quint32 index = qFromLittleEndian<quint32>(mBytes.constData());
    const quint8 outcome = quint8(mBytes[4]);
    const qsizetype typeLength = quint8(mBytes[5]);
    if (index >= quint32(received.pictures.size()) || received.pictures[index] || outcome > 2
        || typeLength > kMaxName || typeLength > length - 6)
        return stop(Stop::Malformed);
    Received::Picture picture;
    picture.outcome = PictureTransfer::Outcome(outcome);
    if (!take(mBytes, typeLength) || !take(picture.data, length - 6 - typeLength))
        return false;
    picture.mimeType = QString::fromUtf8(mBytes);
    const bool converted = picture.outcome == PictureTransfer::Outcome::Converted;
    if (converted != !picture.data.isEmpty() || (converted && !knownType(picture.mimeType)))
        return stop(Stop::Malformed);
    received.pictures[index] = std::move(picture);
    return true;
}

} // namespace

PictureTransfer::Received PictureTransfer::Read(const Source& source, qint64 limit,
                                                const std::function<void(const Received&)>& onFrames)
{
    AnswerReader reader(source, limit);
    if (reader.greeting())
        while (reader.message(onFrames)) {
        }
    return std::move(reader.received);
}

} // namespace engine
