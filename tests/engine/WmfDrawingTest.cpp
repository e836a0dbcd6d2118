// WordPerfect Graphics pictures drawn into Windows metafiles, and their
// paths cut into straight segments: no office needed.
#include "engine/pictures/drawing/MetafileRecords.h"
#include "engine/pictures/drawing/PathFlattener.h"
#include "engine/pictures/drawing/WmfDrawing.h"

#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

using engine::MetafileRecords;
using engine::PathFlattener;
using engine::WmfDrawing;

namespace {

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
