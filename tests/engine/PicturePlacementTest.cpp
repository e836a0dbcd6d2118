// How the engine places and completes the pictures it puts back, and what it
// reads from the Word files it writes: no office needed.
#include "EngineTestSupport.h"

#include "engine/document/CompoundFile.h"
#include "engine/document/WordFileContents.h"
#include "engine/pictures/FramePlacement.h"
#include "engine/pictures/reader/PictureConverter.h"
#include "engine/pictures/reader/WordPerfectBoxes.h"

#include <QRandomGenerator>

#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/VertOrientation.hpp>

using namespace enginetest;
using namespace css::text;

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

} // namespace
