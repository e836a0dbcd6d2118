// SPDX-License-Identifier: MPL-2.0
#include "engine/document/PackageContents.h"

#include "platform/files/FileNames.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtEndian>
#include <optional>
#include <zlib.h>

namespace engine {

namespace {

struct Failure {
    QString why;
};

// A part is never larger than this once inflated (the office writes the
// file, but its size is still not taken on trust).
constexpr qint64 kLargestPart = 256LL * 1024 * 1024;

// Out of line: inlined, GCC 12 warns of reads it cannot see are checked.
[[gnu::noinline]] quint32 u32(const QByteArray& bytes, qint64 at)
{
    if (at < 0 || at + 4 > bytes.size())
        throw Failure{QStringLiteral("it is cut short")};
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

[[gnu::noinline]] quint16 u16(const QByteArray& bytes, qint64 at)
{
    if (at < 0 || at + 2 > bytes.size())
        throw Failure{QStringLiteral("it is cut short")};
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

QByteArray inflated(const QByteArray& bytes, qint64 at, qint64 length, qint64 size)
{
    if (size > kLargestPart)
        throw Failure{QStringLiteral("a part is too large")};
    QByteArray out(size, Qt::Uninitialized);
    z_stream stream{};
    if (::inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        throw Failure{QStringLiteral("a part could not be inflated")};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData() + at));
    stream.avail_in = static_cast<uInt>(length);
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(size);
    const int result = ::inflate(&stream, Z_FINISH);
    ::inflateEnd(&stream);
    if (result != Z_STREAM_END || stream.total_out != static_cast<uLong>(size))
        throw Failure{QStringLiteral("a part could not be inflated")};
    return out;
}

// The parts of a zip package, by name, read from its central directory.
class Package {
public:
    explicit Package(QByteArray bytes) : mBytes(std::move(bytes))
    {
        // The end record, at most a comment's length from the end.
        qint64 end = mBytes.size() - 22;
        for (const qint64 first = std::max<qint64>(0, end - 0xFFFF); end >= first; --end)
            if (u32(mBytes, end) == 0x06054b50)
                break;
        if (end < 0 || u32(mBytes, end) != 0x06054b50)
            throw Failure{QStringLiteral("it is not a zip package")};
        const int entries = u16(mBytes, end + 10);
        qint64 at = u32(mBytes, end + 16);
        for (int i = 0; i < entries; ++i) {
            if (u32(mBytes, at) != 0x02014b50)
                throw Failure{QStringLiteral("its directory is damaged")};
            const int nameLength = u16(mBytes, at + 28);
            if (at + 46 + nameLength > mBytes.size())
                throw Failure{QStringLiteral("it is cut short")};
            mEntries.append({QString::fromUtf8(mBytes.mid(at + 46, nameLength)), at});
            at += 46 + nameLength + u16(mBytes, at + 30) + u16(mBytes, at + 32);
        }
    }

    QStringList names() const
    {
        QStringList names;
        for (const Entry& entry : mEntries)
            names << entry.name;
        return names;
    }

    QByteArray part(const QString& name) const
    {
        for (const Entry& entry : mEntries) {
            if (entry.name != name)
                continue;
            const int method = u16(mBytes, entry.directory + 10);
            const qint64 length = u32(mBytes, entry.directory + 20);
            const qint64 size = u32(mBytes, entry.directory + 24);
            const qint64 local = u32(mBytes, entry.directory + 42);
            if (u32(mBytes, local) != 0x04034b50)
                throw Failure{QStringLiteral("its part %1 is damaged").arg(name)};
            const qint64 data = local + 30 + u16(mBytes, local + 26) + u16(mBytes, local + 28);
            if (data + length > mBytes.size())
                throw Failure{QStringLiteral("it is cut short")};
            if (method == 0 && length == size)
                return mBytes.mid(data, length);
            if (method == 8)
                return inflated(mBytes, data, length, size);
            throw Failure{QStringLiteral("its part %1 is stored in a way it cannot read").arg(name)};
        }
        throw Failure{QStringLiteral("it has no %1").arg(name)};
    }

private:
    struct Entry {
        QString name;
        qint64 directory; // where its directory record is
    };
    QByteArray mBytes;
    QList<Entry> mEntries;
};

const QString kWordMain = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kPicture = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");
const QString kAlternatives = QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
const QString kDraw = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");
const QString kOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

void checkWellFormed(const QXmlStreamReader& xml, const QString& part)
{
    if (xml.hasError())
        throw Failure{QStringLiteral("its %1 is not well-formed XML").arg(part)};
}

// A Word 2007-365 part: its pictures, and (`withText`) its runs' letters
// and note reference marks. Text in drawings (text boxes) is not the main
// text, as in a Word 97 file.
void countWordPart(const QByteArray& bytes, const QString& part, bool withText, WordFileContents& contents)
{
    QXmlStreamReader xml(bytes);
    int inText = 0;
    int inDrawing = 0;
    const auto isDrawing = [&xml] {
        return xml.namespaceUri() == kWordMain && (xml.name() == QLatin1String("drawing") || xml.name() == QLatin1String("pict"));
    };
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.namespaceUri() == kAlternatives && xml.name() == QLatin1String("Fallback"))
                xml.skipCurrentElement(); // the same drawing again, for older readers
            else if (xml.namespaceUri() == kPicture && xml.name() == QLatin1String("pic"))
                ++contents.pictures;
            else if (xml.namespaceUri() == kWordMain && xml.name() == QLatin1String("t"))
                ++inText;
            else if (isDrawing())
                ++inDrawing;
            else if (xml.namespaceUri() == kWordMain
                     && (xml.name() == QLatin1String("footnoteReference")
                         || xml.name() == QLatin1String("endnoteReference")))
                contents.referenceMarks += withText ? 1 : 0;
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.namespaceUri() == kWordMain && xml.name() == QLatin1String("t"))
                --inText;
            else if (isDrawing())
                --inDrawing;
        } else if (token == QXmlStreamReader::Characters && inText > 0 && inDrawing == 0 && withText) {
            contents.letters += WordFileContents::Letters(xml.text().toString());
        }
    }
    checkWellFormed(xml, part);
}

// An OpenDocument part: its frames that hold an image, and (`withText`) the
// letters of its office:text, without the notes (each a reference mark) and
// the frames' text, which a Word 97 file keeps apart from its main text too.
void countOpenDocumentPart(const QByteArray& bytes, const QString& part, bool withText, WordFileContents& contents)
{
    QXmlStreamReader xml(bytes);
    int inBody = 0;
    int aside = 0;            // within notes and frames
    bool frameCounted = true; // the innermost frame's image is counted
    const auto isAside = [&xml] {
        return (xml.namespaceUri() == kDraw && xml.name() == QLatin1String("frame"))
               || (xml.namespaceUri() == kText && xml.name() == QLatin1String("note"));
    };
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.namespaceUri() == kDraw && xml.name() == QLatin1String("frame"))
                frameCounted = false;
            else if (xml.namespaceUri() == kText && xml.name() == QLatin1String("note"))
                contents.referenceMarks += withText ? 1 : 0;
            if (isAside()) {
                ++aside;
            } else if (xml.namespaceUri() == kDraw && xml.name() == QLatin1String("image") && !frameCounted) {
                ++contents.pictures;
                frameCounted = true;
            } else if (xml.namespaceUri() == kOffice && xml.name() == QLatin1String("text")) {
                ++inBody;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (isAside())
                --aside;
            else if (xml.namespaceUri() == kOffice && xml.name() == QLatin1String("text"))
                --inBody;
        } else if (token == QXmlStreamReader::Characters && inBody > 0 && aside == 0 && withText) {
            contents.letters += WordFileContents::Letters(xml.text().toString());
        }
    }
    checkWellFormed(xml, part);
}

WordFileContents readWord2007(const Package& package)
{
    WordFileContents contents;
    countWordPart(package.part(QStringLiteral("word/document.xml")), QStringLiteral("word/document.xml"), true,
                  contents);
    static const QRegularExpression headerOrFooter(QStringLiteral("^word/(header|footer)[0-9]*\\.xml$"));
    for (const QString& name : package.names())
        if (headerOrFooter.match(name).hasMatch())
            countWordPart(package.part(name), name, false, contents);
    return contents;
}

WordFileContents readOpenDocument(const Package& package)
{
    WordFileContents contents;
    countOpenDocumentPart(package.part(QStringLiteral("content.xml")), QStringLiteral("content.xml"), true,
                          contents);
    // Headers and footers live with the page styles.
    countOpenDocumentPart(package.part(QStringLiteral("styles.xml")), QStringLiteral("styles.xml"), false,
                          contents);
    return contents;
}

} // namespace

WordFileContents PackageContents::Read(const QString& path, Kind kind, QString* whyNot)
{
    const std::optional<QByteArray> bytes = platform::ReadWholeFile(path);
    if (!bytes) {
        *whyNot = QStringLiteral("it could not be read");
        return {};
    }
    try {
        const Package package(*bytes);
        return kind == Kind::Word2007 ? readWord2007(package) : readOpenDocument(package);
    } catch (const Failure& failure) {
        *whyNot = failure.why;
        return {};
    }
}

} // namespace engine
