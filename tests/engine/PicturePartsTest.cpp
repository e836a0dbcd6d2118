// SPDX-License-Identifier: MPL-2.0
// The engine's picture parts, no office needed: how it places and
// completes the pictures it puts back and what it reads from the Word files
// it writes; what keeps the picture reader small and shut in, and what the
// engine accepts of its answer; WordPerfect Graphics pictures drawn into
// Windows metafiles, and their paths cut into straight segments.
#include "EngineTestSupport.h"
#include "StoredZip.h"

#include "engine/document/CompoundFile.h"
#include "engine/document/PackageContents.h"
#include "engine/document/WordFileContents.h"
#include "engine/pictures/reader/BitmapBudget.h"
#include "engine/pictures/FramePlacement.h"
#include "engine/pictures/drawing/MetafileRecords.h"
#include "engine/pictures/drawing/PathFlattener.h"
#include "engine/pictures/reader/PictureConverter.h"
#include "engine/pictures/reader/PictureReaderSandbox.h"
#include "engine/pictures/reader/PictureTransfer.h"
#include "engine/pictures/drawing/WmfDrawing.h"
#include "engine/pictures/reader/WordPerfectBoxes.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/VertOrientation.hpp>

using namespace enginetest;
using namespace css::text;
using engine::MetafileRecords;
using engine::PathFlattener;
using engine::PictureTransfer;
using engine::WmfDrawing;

namespace {
constexpr int kInch = 2540; // 1/100 mm

// Frames of 2 x 2 in on a page of 8.5 x 11 in with 1 in margins, as libwpd
// reports them, and where each goes: every placement against the page, its
// margins or its text area becomes a position from the page's edge, on the
// paper; alignments and positions against the paragraph stay.
TEST(FramePlacementTest, PlacementsAgainstThePageBecomePositionsOnThePaper)
{
    struct Axis {
        sal_Int16 orient;
        sal_Int16 relation;
        sal_Int32 position;
    };
    const struct {
        const char* what;
        const char* anchor;
        const char* pos;
        const char* rel;
        double offset;
        bool vertical;
        bool wordPerfect6;
        Axis placed;
    } cases[] = {
        {"from the page's left edge", "char", "from-left", "page", 1, false, true, {HoriOrientation::NONE, RelOrientation::PAGE_FRAME, kInch}},
        {"from the left margin", "char", "from-left", "page-content", 0.5, false, true, {HoriOrientation::NONE, RelOrientation::PAGE_FRAME, 3 * kInch / 2}},
        {"in the right margin, kept on the paper", "char", "from-left", "page-end-margin", 0, false, true, {HoriOrientation::NONE, RelOrientation::PAGE_FRAME, 13 * kInch / 2}},
        {"before the page's left edge", "char", "from-left", "page", -1, false, true, {HoriOrientation::NONE, RelOrientation::PAGE_FRAME, 0}},
        {"centred in the text area", "paragraph", "center", "page-content", 0, false, true, {HoriOrientation::CENTER, RelOrientation::PAGE_PRINT_AREA, 0}},
        {"from the top, less the margin (6+)", "char", "from-top", "page", -0.5, true, true, {VertOrientation::NONE, RelOrientation::PAGE_FRAME, kInch / 2}},
        {"from the top (5.x), above the page", "char", "from-top", "page", -0.5, true, false, {VertOrientation::NONE, RelOrientation::PAGE_FRAME, 0}},
        {"below the page's bottom", "char", "from-top", "page", 20, true, true, {VertOrientation::NONE, RelOrientation::PAGE_FRAME, 9 * kInch}},
        {"from the top margin", "char", "from-top", "page-content", 1, true, false, {VertOrientation::NONE, RelOrientation::PAGE_FRAME, 2 * kInch}},
        {"a paragraph's box from the paragraph", "paragraph", "from-top", "page", -0.9, true, true, {VertOrientation::NONE, RelOrientation::FRAME, kInch / 10}},
        {"at the bottom of the paragraph", "paragraph", "bottom", "paragraph", 0, true, true, {VertOrientation::BOTTOM, RelOrientation::FRAME, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        engine::EmbeddedPicture picture;
        picture.anchorType = QString::fromLatin1(c.anchor);
        picture.pageOffsetLessMargin = c.wordPerfect6;
        (c.vertical ? picture.verticalPos : picture.horizontalPos) = QString::fromLatin1(c.pos);
        (c.vertical ? picture.verticalRel : picture.horizontalRel) = QString::fromLatin1(c.rel);
        (c.vertical ? picture.y : picture.x) = c.offset;
        const engine::FramePlacement placement = engine::FramePlacement::For(picture, 2 * kInch, 2 * kInch);
        const auto& axis = c.vertical ? placement.vertical : placement.horizontal;
        EXPECT_EQ(axis.orient, c.placed.orient);
        EXPECT_EQ(axis.relation, c.placed.relation);
        if (c.placed.orient == HoriOrientation::NONE) {
            EXPECT_EQ(axis.position, c.placed.position);
        }
    }
}

// libwpg hands a picture that a WordPerfect Graphics picture wraps over one
// byte short; where the format says what the byte was, it is put back.
TEST(PictureConverterTest, AWrappedPictureGetsItsLastByteBack)
{
    const auto wmf = [](int words) {
        QByteArray header(18, '\0');
        header[0] = 1;
        header[2] = 9;
        header[6] = char(words);
        return header + QByteArray(2 * words - 18, '\0');
    };
    const QByteArray png = QByteArray("\x89PNG....") + QByteArray("\x00\x00\x00\x00IEND\xAE\x42\x60\x82", 12);
    const QByteArray jpeg("\xFF\xD8....\xFF\xD9");
    const struct {
        const char* what;
        QByteArray whole;
        const char* mimeType;
    } cases[] = {
        {"metafile", wmf(20), "image/wmf"},
        {"metafile with a placeable header", QByteArray("\xD7\xCD\xC6\x9A", 4) + QByteArray(18, '\0') + wmf(20), "image/wmf"},
        {"PNG", png, "image/png"},
        {"JPEG", jpeg, "image/jpeg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString mimeType = QString::fromLatin1(c.mimeType);
        EXPECT_EQ(engine::PictureConverter::Completed(c.whole.chopped(1), mimeType), c.whole);
        EXPECT_EQ(engine::PictureConverter::Completed(c.whole, mimeType), c.whole); // whole already
    }
}

TEST(WordPerfectBoxesTest, TheBoxesOfTheTextAreFoundWithTheirAnchorAndSize)
{
    const auto boxes = engine::WordPerfectBoxes::Scan(ReadFile(DataPath(QStringLiteral("business-plan-wp6.wpd"))));
    ASSERT_EQ(boxes.size(), 12u); // its 12 picture boxes (not its graphic rule)
    EXPECT_EQ(boxes[0].anchor, engine::WordPerfectBoxes::Anchor::Paragraph);
    EXPECT_EQ(boxes[0].width, 4664);
    EXPECT_EQ(boxes[0].height, 2640);
    EXPECT_TRUE(engine::WordPerfectBoxes::Scan(ReadFile(DataPath(QStringLiteral("sample-wp50.wpd")))).empty());
}

// The Word file of the picture sample as the engine wrote it: its pictures,
// its letters and digits, its note reference; a damaged file says why it
// cannot be read, and no damage makes the reader crash or loop.
TEST(WordFileContentsTest, ReadsWhatAWordFileHoldsAndSaysWhyNot)
{
    const QString word = DataPath(QStringLiteral("pictures-wp6.doc"));
    QString whyNot;
    const auto contents = engine::WordFileContents::Read(word, &whyNot);
    EXPECT_EQ(whyNot, QString());
    EXPECT_EQ(contents.pictures, 2);
    EXPECT_EQ(contents.letters, 12017);
    EXPECT_EQ(contents.referenceMarks, 1);

    QTemporaryDir dir;
    const QByteArray bytes = ReadFile(word);
    const QString damaged = dir.filePath(QStringLiteral("damaged.doc"));
    WriteFile(damaged, bytes.left(4096));
    engine::WordFileContents::Read(damaged, &whyNot);
    EXPECT_FALSE(whyNot.isEmpty());
    WriteFile(damaged, "not a Word file");
    engine::WordFileContents::Read(damaged, &whyNot);
    EXPECT_EQ(whyNot, QStringLiteral("it is not a Word 97 file"));
    QRandomGenerator random(7);
    for (int round = 0; round < 200; ++round) {
        QByteArray mutated = bytes;
        for (int i = 0; i < 16; ++i)
            mutated[random.bounded(int(mutated.size()))] = char(random.bounded(256));
        WriteFile(damaged, mutated);
        engine::WordFileContents::Read(damaged, &whyNot); // must return
    }
}

// A Word 2007-365 package as the engine reads it back: the pictures of its
// body and header (not the fall-back of alternative content), the letters
// of its runs (not of a text box), its note reference; no damage makes the
// reader crash or loop.
TEST(PackageContentsTest, ReadsWhatAPackageHoldsAndSaysWhyNot)
{
    const QByteArray names = R"( xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")"
                             R"( xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture")"
                             R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")";
    StoredZip zip;
    zip.add("word/document.xml", "<w:document" + names + "><w:body><w:p><w:r><w:t>Two words</w:t></w:r>"
                                 "<w:r><w:footnoteReference/></w:r><w:r><w:drawing><pic:pic/><w:t>box</w:t>"
                                 "</w:drawing></w:r><mc:AlternateContent><mc:Choice/><mc:Fallback><pic:pic/>"
                                 "</mc:Fallback></mc:AlternateContent></w:p></w:body></w:document>");
    zip.add("word/header1.xml", "<w:hdr" + names + "><pic:pic/></w:hdr>");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.docx"));
    const QByteArray bytes = zip.bytes();
    WriteFile(file, bytes);
    QString whyNot;
    const auto contents = engine::PackageContents::Read(file, engine::PackageContents::Kind::Word2007, &whyNot);
    EXPECT_EQ(whyNot, QString());
    EXPECT_EQ(std::tuple(contents.pictures, contents.letters, contents.referenceMarks), std::tuple(2, 8, 1));
    engine::PackageContents::Read(file, engine::PackageContents::Kind::OpenDocument, &whyNot);
    EXPECT_EQ(whyNot, QStringLiteral("it has no content.xml"));
    QRandomGenerator random(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = bytes.left(round < 100 ? random.bounded(int(bytes.size())) : bytes.size());
        for (int i = 0; round >= 100 && i < 8; ++i)
            damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
        WriteFile(file, damaged);
        engine::PackageContents::Read(file, engine::PackageContents::Kind::Word2007, &whyNot); // must return
    }
}

QByteArray le16(int value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian<quint16>(quint16(value), bytes.data());
    return bytes;
}

// A WordPerfect Graphics picture of `version` whose records follow its
// header; libwpg reads 26 bytes of header, whatever the records.
QByteArray wpg(int version, const QByteArray& records)
{
    QByteArray header("\xFFWPC\x10\x00\x00\x00\x01\x16\x00\x00\x00\x00\x00\x00", 16);
    header[10] = char(version);
    return header + records + QByteArray(10, '\0');
}

QByteArray record1(int type, const QByteArray& data) // WPG 1: type, length, data
{
    return char(type) + ("\xFF" + le16(int(data.size()))) + data;
}

QByteArray record2(int type, const QByteArray& data) // WPG 2: class, type, extension, length
{
    return QByteArray("\x1B", 1) + char(type) + QByteArray(1, '\0') + ("\xFF" + le16(int(data.size()))) + data;
}

QByteArray wpg2Bitmap(int width, int height, const QByteArray& runs)
{
    return wpg(2, record2(0x0E, le16(width) + le16(height) + "\x01\x01" + runs));
}

QByteArray bmp(qint32 width, qint32 height)
{
    QByteArray file("BM", 2);
    file += QByteArray(12, '\0');
    QByteArray info(40, '\0');
    info[0] = 40;
    qToLittleEndian(width, info.data() + 4);
    qToLittleEndian(height, info.data() + 8);
    return file + info;
}

// Every kind of bitmap is costed by what it declares, before libwpg reads
// it; one over the budget is too large, and libwpg never sees it.
TEST(BitmapBudgetTest, BitmapsAreCostedByWhatTheyDeclare)
{
    const QByteArray runs = QByteArray("\x7F\xFF").repeated(64);
    const struct {
        const char* what;
        QByteArray picture;
        bool fits;
    } cases[] = {
        {"WPG 2, 2048 x 2048, one bit", wpg2Bitmap(2048, 2048, runs), true},
        {"WPG 2, 65535 x 500", wpg2Bitmap(65535, 500, runs), false},
        {"WPG 2, 1000 x 1000, runs switching to 255-byte items", wpg2Bitmap(1000, 1000, "\x7D\xFF" + runs), false},
        {"WPG 1, 32767 x 32767", wpg(1, record1(0x0B, le16(32767) + le16(32767) + le16(1) + le16(72) + le16(72))), false},
        {"WPG 1 type 2, 100 x 100", wpg(1, record1(0x14, QByteArray(10, '\0') + le16(100) + le16(100) + le16(8))), true},
        {"WPG 2 image, BMP of 30000 x 30000", wpg(2, record2(0x12, le16(0) + bmp(30000, -30000))), false},
        {"WPG 2 image, BMP of 640 x 480", wpg(2, record2(0x12, le16(0) + bmp(640, 480))), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(engine::BitmapBudget::Of(c.picture).largest <= engine::BitmapBudget::kBudget, c.fits);
        if (!c.fits) {
            EXPECT_EQ(engine::PictureConverter::Convert(c.picture, QStringLiteral("image/x-wpg")).outcome,
                      engine::PictureConverter::Outcome::TooLarge);
        }
    }
}

PictureTransfer::Received read(const QByteArray& bytes, qint64 limit = 1 << 20)
{
    qsizetype at = 0;
    return PictureTransfer::Read(
        [&](char* into, qsizetype length) {
            if (length > bytes.size() - at)
                return false;
            std::memcpy(into, bytes.constData() + at, size_t(length));
            at += length;
            return true;
        },
        limit);
}

// The answer reads back as it was written; anything cut short, out of
// order, out of range or over the limit ends the reading.
TEST(PictureTransferTest, TheAnswerReadsBackAndNothingElseIsTaken)
{
    using Stop = PictureTransfer::Received::Stop;
    const auto converted = engine::PictureConverter::Outcome::Converted;
    engine::EmbeddedPicture frame;
    frame.width = 2.5;
    frame.anchorType = QStringLiteral("char");
    frame.element = 3;
    frame.offset = 5;
    const QByteArray frames = PictureTransfer::Greeting() + PictureTransfer::Frames({frame, frame}, {0, 0}, 1, 1, 2);
    const QByteArray picture = PictureTransfer::Picture(0, converted, QStringLiteral("image/x-wmf"), "metafile");
    const QByteArray whole = frames + picture + PictureTransfer::End();

    const PictureTransfer::Received got = read(whole);
    ASSERT_EQ(got.stop, Stop::End);
    ASSERT_EQ(got.frames.size(), 2);
    EXPECT_EQ(got.frames[1].width, 2.5);
    EXPECT_EQ(got.frames[1].anchorType, QStringLiteral("char"));
    EXPECT_EQ(got.frames[1].element, 3);
    EXPECT_EQ(got.frames[1].offset, 5);
    EXPECT_EQ(got.pictureOf, QList<int>({0, 0}));
    EXPECT_EQ(got.unread, 1);
    EXPECT_EQ(got.unplaced, 2);
    ASSERT_TRUE(got.pictures.value(0));
    EXPECT_EQ(got.pictures[0]->data, QByteArray("metafile"));

    frame.element = -5;
    const struct {
        const char* what;
        QByteArray bytes;
        Stop stop;
    } cases[] = {
        {"cut short", whole.chopped(3), Stop::SourceEnded},
        {"another format", "TPR\x02" + whole.mid(4), Stop::Malformed},
        {"a picture before the frames", PictureTransfer::Greeting() + picture, Stop::Malformed},
        {"a picture no frame shows", frames + PictureTransfer::Picture(1, converted, QStringLiteral("image/png"), "x"), Stop::Malformed},
        {"a type the office is not given", frames + PictureTransfer::Picture(0, converted, QStringLiteral("text/html"), "x"), Stop::Malformed},
        {"a converted picture without data", frames + PictureTransfer::Picture(0, converted, QStringLiteral("image/png")), Stop::Malformed},
        {"a place out of range", PictureTransfer::Greeting() + PictureTransfer::Frames({frame}, {0}, 1, 0, 0), Stop::Malformed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(read(c.bytes).stop, c.stop);
    }
    EXPECT_EQ(read(whole, frames.size() + 8).stop, Stop::OverLimit);
}

// Once shut in, the reader opens no file, no socket and no program, and
// still has its memory and its output.
TEST(PictureReaderSandboxTest, TheReaderCanOpenNothing)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (!engine::PictureReaderSandbox::Enter())
            ::_exit(10);
        if (::open("/etc/passwd", O_RDONLY) >= 0 || errno != EACCES)
            ::_exit(11);
        if (::socket(AF_UNIX, SOCK_STREAM, 0) >= 0 || errno != EACCES)
            ::_exit(12);
        char* const argv[] = {const_cast<char*>("/bin/true"), nullptr};
        if (::execve(argv[0], argv, argv + 1) == 0 || errno != EACCES)
            ::_exit(13);
        std::vector<char> memory(64 << 20, 'x');
        ::_exit(::write(STDERR_FILENO, memory.data(), 0) == 0 ? 0 : 14);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

librevenge::RVNGPropertyList Props(std::initializer_list<std::pair<const char*, double>> inches,
                                   std::initializer_list<std::pair<const char*, const char*>> texts = {})
{
    librevenge::RVNGPropertyList list;
    for (const auto& [name, value] : inches)
        list.insert(name, value, librevenge::RVNG_INCH);
    for (const auto& [name, value] : texts)
        list.insert(name, value);
    return list;
}

librevenge::RVNGPropertyListVector Path(std::initializer_list<librevenge::RVNGPropertyList> elements)
{
    librevenge::RVNGPropertyListVector path;
    for (const auto& element : elements)
        path.append(element);
    return path;
}

librevenge::RVNGPropertyList Action(const char* action, std::initializer_list<std::pair<const char*, double>> inches)
{
    librevenge::RVNGPropertyList element = Props(inches);
    element.insert("librevenge:path-action", action);
    return element;
}

// The records of a metafile with a placeable header: function and words.
struct Record {
    quint16 function;
    std::vector<qint16> words;
};

std::vector<Record> Records(const QByteArray& file)
{
    std::vector<Record> records;
    for (qsizetype at = 22 + 18; at + 6 <= file.size();) {
        const quint32 size = qFromLittleEndian<quint32>(file.constData() + at);
        Record record{qFromLittleEndian<quint16>(file.constData() + at + 4), {}};
        for (quint32 w = 3; w < size; ++w)
            record.words.push_back(qFromLittleEndian<qint16>(file.constData() + at + 2 * w));
        records.push_back(record);
        if (size < 3 || record.function == MetafileRecords::kEof)
            break;
        at += 2 * qsizetype(size);
    }
    return records;
}

std::vector<Record> Only(const std::vector<Record>& records, quint16 function)
{
    std::vector<Record> found;
    for (const Record& r : records)
        if (r.function == function)
            found.push_back(r);
    return found;
}

// A page of `width` x `height` inches, styled, then `draw`n into.
QByteArray Draw(double width, double height, const librevenge::RVNGPropertyList& style,
                const std::function<void(WmfDrawing&)>& draw)
{
    WmfDrawing drawing;
    drawing.startPage(Props({{"svg:width", width}, {"svg:height", height}}));
    drawing.setStyle(style);
    draw(drawing);
    return drawing.metafile();
}

TEST(PathFlattenerTest, CurvesAndArcsBecomeSegmentsOnTheCurve)
{
    PathFlattener flattener(1440);
    // A cubic curve from (0,0) to (1,0), its control points above: its ends
    // are kept, and its middle point is where the curve is (0.75 in up).
    const auto cubic = flattener.flatten(Path({Action("M", {{"svg:x", 0}, {"svg:y", 0}}),
                                              Action("C", {{"svg:x1", 0}, {"svg:y1", 1}, {"svg:x2", 1},
                                                           {"svg:y2", 1}, {"svg:x", 1}, {"svg:y", 0}})}));
    ASSERT_EQ(cubic.size(), 1u);
    const auto& points = cubic[0].points;
    ASSERT_GE(points.size(), 9u); // the curve is long enough for many
    EXPECT_LE(points.size(), 65u);
    EXPECT_DOUBLE_EQ(points.back().x, 1);
    EXPECT_DOUBLE_EQ(points.back().y, 0);
    const auto middle = points[points.size() / 2];
    EXPECT_NEAR(middle.y, 0.75, 0.05);

    // A half circle of radius 1 from (0,0) to (2,0): every point 1 in from
    // the centre (1,0); a closed path is marked so.
    const auto arc = flattener.flatten(Path({Action("M", {{"svg:x", 0}, {"svg:y", 0}}),
                                            Action("A", {{"svg:rx", 1}, {"svg:ry", 1}, {"svg:x", 2}, {"svg:y", 0}}),
                                            Action("Z", {})}));
    ASSERT_EQ(arc.size(), 1u);
    EXPECT_TRUE(arc[0].closed);
    for (const auto& p : arc[0].points)
        EXPECT_NEAR(std::hypot(p.x - 1, p.y), 1, 1e-9);
    // A tiny curve still gets its two segments; nothing more.
    PathFlattener coarse(1);
    const auto tiny = coarse.flatten(Path({Action("M", {{"svg:x", 0}, {"svg:y", 0}}),
                                           Action("Q", {{"svg:x1", 0.5}, {"svg:y1", 1}, {"svg:x", 1}, {"svg:y", 0}})}));
    EXPECT_EQ(tiny[0].points.size(), 3u);
}

TEST(WmfDrawingTest, ShapesPensAndBrushesBecomeTheirRecords)
{
    const auto solid = Props({{"svg:stroke-width", 0}}, {{"draw:stroke", "solid"}, {"draw:fill", "solid"},
                                                          {"draw:fill-color", "#ff0000"}, {"svg:stroke-color", "#0000ff"}});
    const auto rectangle = Records(Draw(2, 1, solid, [](WmfDrawing& d) {
        d.drawRectangle(Props({{"svg:x", 0.5}, {"svg:y", 0.25}, {"svg:width", 1}, {"svg:height", 0.5}}));
    }));
    // 1440 units an inch: the rectangle's corners, in the order the record
    // keeps them (bottom, right, top, left).
    const auto rects = Only(rectangle, MetafileRecords::kRectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].words, (std::vector<qint16>{1080, 2160, 360, 720}));
    // A solid red brush (COLORREF 0x000000ff), a solid blue pen.
    const auto brushes = Only(rectangle, MetafileRecords::kCreateBrushIndirect);
    ASSERT_FALSE(brushes.empty());
    EXPECT_EQ(brushes.back().words[0], 0);    // solid
    EXPECT_EQ(brushes.back().words[1], 0xff); // red, low word of the colour
    const auto pens = Only(rectangle, MetafileRecords::kCreatePenIndirect);
    ASSERT_FALSE(pens.empty());
    EXPECT_EQ(pens.back().words[0], 0); // solid

    // Dashes: a dashed hairline gets a dashed pen; a thick one is drawn solid
    // (players draw styled pens one unit wide only).
    const struct {
        double width;
        qint16 style;
    } dashes[] = {{0, 1}, {0.1, 0}};
    for (const auto& c : dashes) {
        SCOPED_TRACE(c.width);
        const auto line = Records(Draw(2, 1, Props({{"svg:stroke-width", c.width}}, {{"draw:stroke", "dash"}}),
                                       [](WmfDrawing& d) {
                                           librevenge::RVNGPropertyListVector points;
                                           points.append(Props({{"svg:x", 0}, {"svg:y", 0}}));
                                           points.append(Props({{"svg:x", 1}, {"svg:y", 1}}));
                                           librevenge::RVNGPropertyList polyline;
                                           polyline.insert("svg:points", points);
                                           d.drawPolyline(polyline);
                                       }));
        ASSERT_FALSE(Only(line, MetafileRecords::kCreatePenIndirect).empty());
        EXPECT_EQ(Only(line, MetafileRecords::kCreatePenIndirect).back().words[0], c.style);
        EXPECT_EQ(Only(line, MetafileRecords::kPolyline).size(), 1u);
    }
}

// Coordinates are 16-bit: a large page gets fewer units to the inch, and
// what lies beyond the range is kept at its edge.
TEST(WmfDrawingTest, ALargePageHasFewerUnitsAndFarPointsAreClamped)
{
    const QByteArray file = Draw(100, 50, Props({}, {{"draw:fill", "solid"}}), [](WmfDrawing& d) {
        d.drawRectangle(Props({{"svg:x", 10}, {"svg:y", 10}, {"svg:width", 500}, {"svg:height", 500}}));
    });
    // The placeable header: right and bottom of the picture, units an inch.
    EXPECT_EQ(qFromLittleEndian<qint16>(file.constData() + 10), 30000);
    EXPECT_EQ(qFromLittleEndian<qint16>(file.constData() + 12), 15000);
    EXPECT_EQ(qFromLittleEndian<quint16>(file.constData() + 14), 300);
    const auto rects = Only(Records(file), MetafileRecords::kRectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].words, (std::vector<qint16>{32767, 32767, 3000, 3000}));
}

// A picture that only wraps another (a metafile WordPerfect 8 embeds in its
// graphics) is handed back whole; drawn with other shapes, it is not.
TEST(WmfDrawingTest, AWrappedPictureIsTheWholeDrawingOrNot)
{
    const auto graphic = [](double width) {
        librevenge::RVNGPropertyList object = Props({{"svg:x", 0}, {"svg:y", 0}, {"svg:width", width}, {"svg:height", 1}},
                                                    {{"librevenge:mime-type", "image/wmf"}});
        object.insert("office:binary-data", librevenge::RVNGBinaryData(reinterpret_cast<const unsigned char*>("WMF"), 3));
        return object;
    };
    WmfDrawing whole;
    whole.startPage(Props({{"svg:width", 2}, {"svg:height", 1}}));
    whole.drawGraphicObject(graphic(2));
    ASSERT_TRUE(whole.soleEmbedded());
    EXPECT_EQ(whole.soleEmbedded()->data, QByteArray("WMF"));

    WmfDrawing part;
    part.startPage(Props({{"svg:width", 2}, {"svg:height", 1}}));
    part.drawGraphicObject(graphic(1)); // half the page
    EXPECT_FALSE(part.soleEmbedded());
}

} // namespace
