// SPDX-License-Identifier: MPL-2.0
#include "engine/document/WordFileContents.h"

#include "engine/document/CompoundFile.h"
#include "platform/files/FileNames.h"

#include <QStringDecoder>
#include <QList>
#include <QtEndian>

namespace engine {

namespace {

// The file information block at the start of the WordDocument stream.
constexpr quint16 kWordIdent = 0xA5EC;
constexpr quint16 kWhichTable = 0x0200; // the table stream is "1Table"
constexpr quint16 kEncrypted = 0x0100;
// Entries of its table of (offset, length) pairs into the table stream.
constexpr int kClx = 33;
constexpr int kDrawings = 50;
// Records of the office drawing format.
constexpr quint16 kShape = 0xF00A;
constexpr quint16 kPictureFrame = 75;
// Characters of the text stream.
constexpr char16_t kPicture = 0x01;
constexpr char16_t kNoteReference = 0x02;
constexpr char16_t kFieldBegin = 0x13;
constexpr char16_t kFieldSeparator = 0x14;
constexpr char16_t kFieldEnd = 0x15;

// Out of line: inlined, GCC 12 warns of reads it cannot see are checked.
[[gnu::noinline]] qint64 u32(const QByteArray& bytes, qint64 at)
{
    return at >= 0 && at + 4 <= bytes.size() ? qint64(qFromLittleEndian<quint32>(bytes.constData() + at)) : -1;
}

[[gnu::noinline]] int u16(const QByteArray& bytes, qint64 at)
{
    return at >= 0 && at + 2 <= bytes.size() ? qFromLittleEndian<quint16>(bytes.constData() + at) : -1;
}

struct Failure {
    QString why;
};

// The main text: the pieces of the piece table up to `mainLength`
// characters, each in UTF-16 or, compressed, in the Windows code page.
QString mainText(const QByteArray& word, const QByteArray& table, qint64 clxAt, qint64 clxLength, qint64 mainLength)
{
    if (clxAt < 0 || clxLength <= 0 || clxAt + clxLength > table.size())
        throw Failure{QStringLiteral("its piece table is missing")};
    const QByteArray clx = table.mid(clxAt, clxLength);
    qint64 at = 0;
    while (at < clx.size() && clx.at(at) == 0x01) { // formatting, skipped
        const int size = u16(clx, at + 1);
        if (size < 0)
            throw Failure{QStringLiteral("its piece table is damaged")};
        at += 3 + qint16(size);
    }
    const qint64 length = u32(clx, at + 1);
    if (at >= clx.size() || clx.at(at) != 0x02 || length < 4 || at + 5 + length > clx.size())
        throw Failure{QStringLiteral("its piece table is damaged")};
    const QByteArray pieces = clx.mid(at + 5, length);
    const qint64 count = (length - 4) / 12;
    QString text;
    QStringDecoder windows("windows-1252");
    for (qint64 i = 0; i < count && text.size() < mainLength; ++i) {
        const qint64 from = u32(pieces, 4 * i);
        const qint64 to = u32(pieces, 4 * (i + 1));
        const qint64 fc = u32(pieces, 4 * (count + 1) + 8 * i + 2);
        if (from < 0 || to < from || fc < 0)
            throw Failure{QStringLiteral("its piece table is damaged")};
        const qint64 characters = std::min(to - from, mainLength - text.size());
        if (fc & 0x40000000) {
            const qint64 offset = (fc & 0x3FFFFFFF) / 2;
            if (offset + characters > word.size())
                throw Failure{QStringLiteral("its text is cut short")};
            text += windows(QByteArrayView(word.constData() + offset, characters));
        } else {
            if (fc + 2 * characters > word.size())
                throw Failure{QStringLiteral("its text is cut short")};
            for (qint64 c = 0; c < characters; ++c)
                text.append(QChar(char16_t(u16(word, fc + 2 * c))));
        }
    }
    return text;
}

// Picture shapes in the drawings: records of 8-byte headers, containers
// (version 0xF) holding further records.
int pictureShapes(const QByteArray& records, qint64 from, qint64 to, int depth = 0)
{
    int pictures = 0;
    for (qint64 at = from; at + 8 <= to;) {
        const int versionAndInstance = u16(records, at);
        const int type = u16(records, at + 2);
        const qint64 length = u32(records, at + 4);
        if (length < 0 || at + 8 + length > to)
            break;
        if (type == kShape && (versionAndInstance >> 4) == kPictureFrame)
            ++pictures;
        if ((versionAndInstance & 0xF) == 0xF && depth < 16)
            pictures += pictureShapes(records, at + 8, at + 8 + length, depth + 1);
        at += 8 + length;
    }
    return pictures;
}

// The picture shapes of the drawings: a drawing group record, then for
// each drawing (the body's, the headers') a byte that says which and its
// record.
int drawingPictures(const QByteArray& table, qint64 from, qint64 to)
{
    qint64 at = from + 8 + u32(table, from + 4); // past the drawing group
    int pictures = 0;
    while (at + 9 <= to) {
        const qint64 length = u32(table, at + 1 + 4);
        if (length < 0 || at + 9 + length > to)
            break;
        pictures += pictureShapes(table, at + 9, at + 9 + length);
        at += 9 + length;
    }
    return pictures;
}

// Where the main text and the drawings lie, from the file information
// block at the start of the document stream: a fixed part, then counted
// arrays of words, of longs (the text lengths) and of offset/length pairs.
struct InformationBlock
{
    qint64 mainLength = 0;
    std::pair<qint64, qint64> clx;
    std::pair<qint64, qint64> drawings;
};

InformationBlock informationBlock(const QByteArray& word)
{
    const qint64 words = u16(word, 32);
    const qint64 longsAt = 34 + 2 * words;
    const qint64 longs = u16(word, longsAt);
    const qint64 pairsAt = longsAt + 2 + 4 * longs + 2;
    const qint64 pairs = u16(word, pairsAt - 2);
    if (words < 0 || longs < 11 || pairs <= kDrawings)
        throw Failure{QStringLiteral("its information block is too short")};
    const auto pair = [&](int index) {
        return std::pair{u32(word, pairsAt + 8 * index), u32(word, pairsAt + 8 * index + 4)};
    };
    InformationBlock block{u32(word, longsAt + 2 + 4 * 3), pair(kClx), pair(kDrawings)};
    if (block.mainLength < 0)
        throw Failure{QStringLiteral("its information block is too short")};
    return block;
}

// Pictures, note references and the letters outside field codes.
WordFileContents countText(const QString& text)
{
    WordFileContents contents;
    QList<bool> inCode; // per open field: whether its code is being read
    for (const QChar c : text) {
        switch (c.unicode()) {
        case kFieldBegin:
            inCode.append(true);
            break;
        case kFieldSeparator:
            if (!inCode.isEmpty())
                inCode.last() = false;
            break;
        case kFieldEnd:
            if (!inCode.isEmpty())
                inCode.removeLast();
            break;
        case kPicture:
            ++contents.pictures;
            break;
        case kNoteReference:
            ++contents.referenceMarks;
            break;
        default:
            if (!inCode.contains(true) && c.isLetterOrNumber())
                ++contents.letters;
        }
    }
    return contents;
}

} // namespace

int WordFileContents::Letters(const QString& text)
{
    int letters = 0;
    for (const QChar c : text)
        if (c.isLetterOrNumber())
            ++letters;
    return letters;
}

WordFileContents WordFileContents::Read(const QString& path, QString* whyNot)
{
    CompoundFile compound;
    const std::optional<QByteArray> bytes = platform::ReadWholeFile(path);
    if (!bytes || !compound.open(*bytes)) {
        *whyNot = QStringLiteral("it is not a Word 97 file");
        return {};
    }
    try {
        const std::optional<QByteArray> document = compound.stream(QStringLiteral("WordDocument"));
        if (!document || u16(*document, 0) != kWordIdent)
            throw Failure{QStringLiteral("it has no Word document stream")};
        const QByteArray& word = *document;
        const int flags = u16(word, 0x0A);
        if (flags & kEncrypted)
            throw Failure{QStringLiteral("it is encrypted")};
        const auto table =
            compound.stream((flags & kWhichTable) ? QStringLiteral("1Table") : QStringLiteral("0Table"));
        if (!table)
            throw Failure{QStringLiteral("it has no table stream")};
        const InformationBlock block = informationBlock(word);
        WordFileContents contents =
            countText(mainText(word, *table, block.clx.first, block.clx.second, block.mainLength));
        const auto [drawingsAt, drawingsLength] = block.drawings;
        if (drawingsAt >= 0 && drawingsLength > 0 && drawingsAt + drawingsLength <= table->size())
            contents.pictures += drawingPictures(*table, drawingsAt, drawingsAt + drawingsLength);
        return contents;
    } catch (const Failure& failure) {
        *whyNot = failure.why;
        return {};
    }
}

} // namespace engine
