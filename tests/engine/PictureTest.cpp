// SPDX-License-Identifier: MPL-2.0
// The pictures embedded in WordPerfect documents, which the office's import
// drops, come through the conversion into the Word document: every one in
// its frame's size, on the page where the document has it.
#include "EngineTestSupport.h"
#include "OfficeInspector.h"

#include "engine/document/OfficeDocument.h"
#include "engine/office/OfficeSession.h"
#include "engine/pictures/EmbeddedPictures.h"
#include "engine/pictures/reader/PictureCollector.h"
#include "engine/pictures/PictureProbe.h"
#include "engine/pictures/PictureReader.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <functional>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>
#include <com/sun/star/text/XTextRange.hpp>

using namespace enginetest;
using namespace css;

namespace {

void TakeOutAPicture(const uno::Reference<lang::XComponent>& document)
{
    const uno::Reference<container::XIndexAccess> graphics(
        uno::Reference<text::XTextGraphicObjectsSupplier>(document, uno::UNO_QUERY_THROW)->getGraphicObjects(),
        uno::UNO_QUERY_THROW);
    uno::Reference<lang::XComponent>(graphics->getByIndex(0), uno::UNO_QUERY_THROW)->dispose();
}

void TakeOutText(const uno::Reference<lang::XComponent>& document) // the first paragraph's
{
    const uno::Reference<container::XEnumerationAccess> body(
        uno::Reference<text::XTextDocument>(document, uno::UNO_QUERY_THROW)->getText(), uno::UNO_QUERY_THROW);
    uno::Reference<text::XTextRange>(body->createEnumeration()->nextElement(), uno::UNO_QUERY_THROW)
        ->setString(rtl::OUString());
}

// Word keeps sizes in its own units: a few hundredths of a millimetre off.
constexpr int kSizeTolerance = 10;

QString describe(const QList<OfficeInspector::Graphic>& graphics)
{
    QString text;
    for (const auto& g : graphics)
        text += QStringLiteral("%1x%2 on page %3 at element %4 in \"%5\"\n")
                    .arg(g.width).arg(g.height).arg(g.page).arg(g.element).arg(g.paragraph.left(40));
    return text;
}

// The boxes of business-plan-wp6.wpd (function groups of 119 bytes in its
// text), in document order, and where each keeps its positioning override:
// the box's subgroup (what it is anchored to) at +1, then the general flags
// (mask, data: bits 0-1 the anchor), horizontal (flags, offset), vertical
// (flags, offset), width and height (flags, value) at the offsets below.
const qsizetype kBoxes[] = {451361, 528746, 529032, 529603, 530171, 531473,
                            532171, 533863, 534397, 534929, 536322, 538274};
constexpr qsizetype kBoxSize = 119;
enum Field : qsizetype { Subgroup = 1, General = 36, Horizontal = 38, Vertical = 43, Height = 49 };

void setAnchor(QByteArray& doc, qsizetype box, int anchor) // 0 character, 1 paragraph, 2 page
{
    const int subgroup[] = {0, 1, 2};
    const int general[] = {2, 1, 0};
    doc[box + Subgroup] = char(subgroup[anchor]);
    doc[box + General] = char(doc[box + General] | 0x03);
    doc[box + General + 1] = char((doc[box + General + 1] & ~0x03) | general[anchor]);
}

void setPosition(QByteArray& doc, qsizetype box, Field field, int flags, qint16 offset)
{
    doc[box + field] = char(flags);
    qToLittleEndian<qint16>(offset, doc.data() + box + field + 1);
}

// The plan with a box of every kind the WordPerfect 6 reader reports.
QByteArray everyKindOfBox()
{
    QByteArray doc = ReadFile(DataPath(QStringLiteral("business-plan-wp6.wpd")));
    for (const qsizetype box : kBoxes)
        EXPECT_TRUE(quint8(doc[box]) == 0xDF && quint8(doc[box + kBoxSize - 1]) == 0xDF);
    // Against the page: 1 in from its left, 3 in from its top edge.
    setAnchor(doc, kBoxes[1], 2);
    setPosition(doc, kBoxes[1], Horizontal, 0x00, 1200);
    setPosition(doc, kBoxes[1], Vertical, 0x00, 3600);
    // Against the page, before its left and top edges.
    setAnchor(doc, kBoxes[2], 2);
    setPosition(doc, kBoxes[2], Horizontal, 0x00, -600);
    setPosition(doc, kBoxes[2], Vertical, 0x00, -1200);
    // Against the page, below its bottom edge.
    setAnchor(doc, kBoxes[3], 2);
    setPosition(doc, kBoxes[3], Vertical, 0x00, 14000);
    // In the right margin.
    setPosition(doc, kBoxes[4], Horizontal, 0x05, 0);
    // At the bottom of its paragraph's area.
    setPosition(doc, kBoxes[5], Vertical, 0x05, 0);
    // In the line, as a character.
    setAnchor(doc, kBoxes[6], 0);
    // Taller than the page (13 in).
    setPosition(doc, kBoxes[7], Height, 0x00, 15600);
    // One picture in three boxes.
    const QByteArray third = doc.mid(kBoxes[8], kBoxSize);
    doc.insert(kBoxes[8], third + third);
    return doc;
}

QByteArray sample(const char* file)
{
    return ReadFile(DataPath(QString::fromLatin1(file)));
}

// The picture sample with its second picture (WordPerfect Graphics 2) made
// to declare a bitmap of 65,535 x 500 pixels of one bit, run-length coded
// in 32 KB right after its start record: libwpg would take 1.5 GB for it.
QByteArray sampleWithACraftedBitmap()
{
    QByteArray doc = sample("pictures-wp6.wpd");
    const qsizetype picture = doc.indexOf("\xFFWPC", doc.indexOf("\xFFWPC", 16) + 1);
    const qsizetype start = picture + qFromLittleEndian<quint32>(doc.constData() + picture + 4);
    EXPECT_EQ(doc[start + 1], 0x01); // the start record, of 23 bytes
    QByteArray bitmap("\x1B\x0E\x00\xFF\xFF\x7F" "\xFF\xFF\xF4\x01\x01\x01", 12);
    while (bitmap.size() < 6 + 0x7FFF)
        bitmap += "\x7F\xFF"; // a run of 256 black bytes
    doc.replace(start + 4 + 23, 6 + 0x7FFF, bitmap.left(6 + 0x7FFF));
    return doc;
}

// This process's peak resident memory since the last reset, in MiB.
qint64 peakMemory(bool reset)
{
    if (reset) {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        EXPECT_TRUE(clear.open(QIODevice::WriteOnly) && clear.write("5") == 1);
    }
    QFile status(QStringLiteral("/proc/self/status"));
    EXPECT_TRUE(status.open(QIODevice::ReadOnly));
    const QByteArray text = status.readAll();
    const qsizetype at = text.indexOf("VmHWM:");
    return text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed().split(' ').value(0).toLongLong() / 1024;
}

class PictureTest : public EngineTest {
protected:
    // Converts `source` and checks the Word file read back: every picture
    // libwpd reports, in its frame's size (as much of it as the paper holds),
    // anchored in the paragraph libwpd has it in. `samePages`: each is on the
    // page the office lays that paragraph out on in the document alone, and
    // the text is the office's own conversion's (pictures that take room
    // from the text move the later pages on, as they do in WordPerfect).
    void convertAndCompare(const QString& source, int pictures, bool samePages)
    {
        const QString target = path(QFileInfo(source).completeBaseName() + QStringLiteral(".doc"));
        QString notes;
        ASSERT_TRUE(converts(source, target, &notes));
        EXPECT_EQ(notes, QString());

        const auto frames = engine::PictureCollector::Collect(source).pictures;
        ASSERT_EQ(frames.size(), pictures);
        QList<OfficeInspector::Graphic> graphics = OfficeInspector::Shared().graphics(target);
        ASSERT_EQ(graphics.size(), pictures) << describe(graphics).toStdString();
        // Word lists pictures by anchor; libwpd, in the order of the text.
        std::stable_sort(graphics.begin(), graphics.end(),
                         [](const auto& a, const auto& b) { return a.element < b.element; });
        const QList<int> pages = OfficeInspector::Shared().elementPages(source);
        for (int i = 0; i < pictures; ++i) {
            SCOPED_TRACE(i);
            const auto& graphic = graphics[i];
            const auto& frame = frames[i];
            const double fit = std::min({1.0, frame.page.width / frame.width.value_or(1),
                                         frame.page.height / frame.height.value_or(1)});
            EXPECT_NEAR(graphic.width, std::lround(frame.width.value_or(0) * fit * 2540), kSizeTolerance);
            EXPECT_NEAR(graphic.height, std::lround(frame.height.value_or(0) * fit * 2540), kSizeTolerance);
            EXPECT_EQ(graphic.element, frame.element) << describe(graphics).toStdString();
            if (samePages && graphic.element >= 0 && graphic.element < pages.size()) {
                EXPECT_EQ(graphic.page, pages[graphic.element]) << describe(graphics).toStdString();
            }
        }
        if (samePages) {
            const QString alone = path(QFileInfo(source).completeBaseName() + QStringLiteral("-alone.doc"));
            OfficeInspector::Shared().convertAlone(source, alone);
            EXPECT_EQ(WordText(target), WordText(alone));
        }
    }
};

TEST_F(PictureTest, EveryPictureArrivesInItsFrameOnItsPage)
{
    convertAndCompare(copySample(QStringLiteral("pictures-wp6.wpd"), QStringLiteral("report.wpd")), 2, true);
    convertAndCompare(copySample(QStringLiteral("business-plan-wp6.wpd"), QStringLiteral("plan.wpd")), 12, true);
    convertAndCompare(copySample(QStringLiteral("pictures-wp51.wpd"), QStringLiteral("five.wpd")), 2, true);
    const QString kinds = path(QStringLiteral("kinds.wpd"));
    WriteFile(kinds, everyKindOfBox());
    convertAndCompare(kinds, 14, false);
}

// What the conversion leaves out or lacks, the notes say. Pictures that
// come through are vector pictures as in WordPerfect. A macro with commands
// has the document loaded again, with a view: the pictures come back with
// it. The Word file is read back and compared with the document: one that
// lacks a picture or text (as if the export had dropped them; here taken
// out just before the save) converts, and the notes say what it lacks. An
// office that dies every time the pictures go in (as if a picture crashed
// it) converts the document the plain way, as the office's own conversion
// does: never worse than the office alone. A picture reader that hangs is
// killed at its time limit, one that allocates without end is stopped by
// its memory limit: the document converts without its pictures.
TEST_F(PictureTest, PicturesAreVectorsAndWhatIsLeftOutOrLackingIsSaid)
{
    using engine::PictureReader;
    const QString macro = path(QStringLiteral("replace.wcm"));
    WriteFile(macro, "TALLOWIN MACRO 1\nREPLACE \"qqzzqq\" \"x\"\n");
    const auto fault = [](PictureReader::Fault f) {
        return [f] { PictureReader::SetFaultForTests(f, std::chrono::seconds(3)); };
    };
    const struct {
        const char* what;
        const char* file;
        std::function<void()> setUp;
        const char* notes;
        int pictures; // -1: not counted
        bool plain;   // the text is the office's own conversion's
        QString macro = MacroPath();
        const char* extension = ".doc";
    } cases[] = {
        {"each box six times", "pictures12-wp6.wpd", [] {}, "", 12, false},
        {"a damaged picture", "picture-damaged-wp6.wpd", [] {}, "1 picture could not be read and was left out", 1,
         false},
        {"no pictures", "sample-wp6.wpd", [] {}, "", 0, false},
        {"a macro with commands", "pictures-wp6.wpd", [] {}, "", 2, false, macro},
        {"a picture taken out", "pictures-wp6.wpd",
         [] { engine::OfficeDocument::SetBeforeWordSave(TakeOutAPicture); }, "The Word file lacks 1 of 2 pictures", -1,
         false},
        {"a paragraph taken out", "pictures-wp6.wpd", [] { engine::OfficeDocument::SetBeforeWordSave(TakeOutText); },
         "The Word file has 11,974 of 12,018 characters", -1, false},
        // The other formats are read back as a Word 97 file is (a PDF is not).
        {"a picture taken out of a .docx", "pictures-wp6.wpd",
         [] { engine::OfficeDocument::SetBeforeWordSave(TakeOutAPicture); }, "The Word file lacks 1 of 2 pictures", -1,
         false, MacroPath(), ".docx"},
        {"a paragraph taken out of an .odt", "pictures-wp6.wpd",
         [] { engine::OfficeDocument::SetBeforeWordSave(TakeOutText); },
         "The OpenDocument file has 11,974 of 12,018 characters", -1, false, MacroPath(), ".odt"},
        {"a picture taken out of a .pdf", "pictures-wp6.wpd",
         [] { engine::OfficeDocument::SetBeforeWordSave(TakeOutAPicture); }, "", -1, false, MacroPath(), ".pdf"},
        {"nothing lacking in a .docx", "pictures-wp6.wpd", [] {}, "", 2, false, MacroPath(), ".docx"},
        {"nothing lacking in an .odt", "pictures-wp6.wpd", [] {}, "", 2, false, MacroPath(), ".odt"},
        {"an office that dies", "pictures-wp6.wpd",
         [] {
             engine::EmbeddedPictures::SetBeforeInserting(
                 [](engine::OfficeSession& office) { office.killFromAnyThread(); });
         },
         "2 pictures could not be placed and were left out", 0, true},
        {"a reader that hangs", "pictures-wp6.wpd", fault(PictureReader::Fault::Hang),
         "2 pictures were too large to convert and were left out", 0, false},
        {"a reader that exhausts memory", "pictures-wp6.wpd", fault(PictureReader::Fault::ExhaustMemory),
         "2 pictures were too large to convert and were left out", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString source = copySample(QString::fromLatin1(c.file), QString::fromLatin1(c.what) + ".wpd");
        const QString target = path(QString::fromLatin1(c.what) + c.extension);
        QString notes;
        c.setUp();
        const auto converted = converts(source, target, &notes, c.macro);
        engine::OfficeDocument::SetBeforeWordSave(nullptr);
        engine::EmbeddedPictures::SetBeforeInserting(nullptr);
        PictureReader::SetFaultForTests(PictureReader::Fault::None);
        ASSERT_TRUE(converted);
        EXPECT_EQ(notes, QString::fromLatin1(c.notes));
        EXPECT_TRUE(target.endsWith(QLatin1String(".doc")) ? !WordText(target).isEmpty() : QFileInfo(target).size() > 0);
        if (c.pictures >= 0) {
            const auto graphics = OfficeInspector::Shared().graphics(target);
            EXPECT_EQ(graphics.size(), c.pictures);
            for (const auto& graphic : graphics)
                EXPECT_EQ(graphic.mimeType, QStringLiteral("image/x-wmf"));
        }
        if (c.plain) {
            OfficeInspector::Shared().convertAlone(source, path(QStringLiteral("alone.doc")));
            EXPECT_EQ(WordText(target), WordText(path(QStringLiteral("alone.doc"))));
        }
    }
}

// Pictures anchored inside a paragraph's text and in a table cell: the
// first picture box of the sample copied after "Geen van de " in its own
// paragraph and into the cell "p=0,034" of the first table.
TEST_F(PictureTest, APictureLandsAtItsCharacterAndInItsTableCell)
{
    const QString source = copySample(QStringLiteral("pictures-placed-wp6.wpd"), QStringLiteral("in.wpd"));
    const QString target = path(QStringLiteral("out.doc"));
    QString notes;
    ASSERT_TRUE(converts(source, target, &notes));
    EXPECT_EQ(notes, QString());
    QStringList places;
    for (const auto& g : OfficeInspector::Shared().graphics(target))
        places << QStringLiteral("%1x%2 mm after \"%3\" in \"%4\"")
                      .arg(qRound(g.width / 100.0))
                      .arg(qRound(g.height / 100.0))
                      .arg(g.beforeAnchor, g.paragraph.left(20));
    places.sort();
    EXPECT_EQ(places, QStringList({QStringLiteral("38x30 mm after \"\" in \"Geen van de zojuist \""),
                                   QStringLiteral("38x30 mm after \"\" in \"p=0,034\""),
                                   QStringLiteral("38x30 mm after \"Geen van de \" in \"Geen van de zojuist \""),
                                   QStringLiteral("83x56 mm after \"\" in \"\"")}));
}

// A picture whose bitmap declares millions of pixels is left out before
// anything allocates them: the program stays small, the document converts
// with its other picture and says what it left out.
TEST_F(PictureTest, APictureDeclaringAHugeBitmapIsLeftOutAndTheProgramStaysSmall)
{
    const QString source = path(QStringLiteral("crafted.wpd"));
    WriteFile(source, sampleWithACraftedBitmap());
    const QString target = path(QStringLiteral("out.doc"));
    QString notes;
    peakMemory(true);
    QElapsedTimer clock;
    clock.start();
    const auto converted = converts(source, target, &notes);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_LT(peakMemory(false), 200);
    ASSERT_TRUE(converted);
    EXPECT_EQ(notes, QStringLiteral("1 picture was too large to convert and was left out"));
    EXPECT_EQ(OfficeInspector::Shared().graphics(target).size(), 1);
}

// The WordPerfect 5.0 sample with its graphics information packet (type 8,
// which counts its pictures in its first two bytes) saying it holds one.
QByteArray wordPerfect5WithAPicture()
{
    QByteArray bytes = sample("sample-wp50.wpd");
    // Its index: blocks of 10-byte entries from offset 16; the packet sits
    // where its entry says.
    for (qint64 block = 16; block != 0;) {
        const int entries = qFromLittleEndian<quint16>(bytes.constData() + block + 2);
        for (int i = 1; i < entries; ++i) {
            const char* entry = bytes.constData() + block + 10 * i;
            if (qFromLittleEndian<quint16>(entry) == 8) {
                const quint32 at = qFromLittleEndian<quint32>(entry + 6);
                bytes[at] = 1;
                return bytes;
            }
        }
        block = qFromLittleEndian<quint32>(bytes.constData() + block + 6);
    }
    return {};
}

TEST(PictureProbeTest, TellsFromThePrefixAloneWhichDocumentsMayHoldPictures)
{
    const QByteArray pictures = sample("pictures-wp6.wpd");
    const struct {
        const char* what;
        QByteArray bytes;
        bool mayHave;
    } cases[] = {
        {"WordPerfect 6 with pictures", pictures, true},
        {"WordPerfect 6 with a damaged picture", sample("picture-damaged-wp6.wpd"), true},
        {"WordPerfect 6 without", sample("sample-wp6.wpd"), false},
        {"WordPerfect 5.0 without", sample("sample-wp50.wpd"), false},
        {"WordPerfect 5.1 without", sample("sample-wp51.wpd"), false},
        {"WordPerfect 5.0 with a picture", wordPerfect5WithAPicture(), true},
        {"a prefix cut inside the index: maybe", pictures.left(1024), true},
        {"a header alone: maybe", pictures.left(16), true},
        {"not WordPerfect", sample("text.odt"), false},
        {"empty", QByteArray(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes = c.bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(engine::PictureProbe::MayHavePictures(buffer), c.mayHave);
    }
}

} // namespace
