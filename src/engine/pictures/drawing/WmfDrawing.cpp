// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/drawing/WmfDrawing.h"

#include "engine/pictures/drawing/MetafileRecords.h"
#include "engine/pictures/drawing/PathFlattener.h"
#include "engine/pictures/drawing/RevengeValue.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace engine {

namespace {

using Params = MetafileRecords::Params;
using enum MetafileRecords::Function;


constexpr quint16 kAnisotropic = 8;
constexpr quint16 kTransparent = 1;
constexpr quint16 kAlternate = 1;
constexpr quint16 kWinding = 2;
constexpr quint16 kPenSolid = 0;
constexpr quint16 kPenDash = 1;
constexpr quint16 kPenNull = 5;
constexpr quint16 kBrushSolid = 0;
constexpr quint16 kBrushNull = 1;
constexpr quint16 kAlignUpdateCpBaseline = 0x0001 | 0x0018;
constexpr quint32 kSourceCopy = 0x00CC0020;
constexpr double kMaxUnits = 30000; // coordinates are 16-bit
constexpr int kMaxCurveSegments = 64; // a rotated ellipse's points
constexpr int kMaxPointsPerRecord = 32000;


// "#rrggbb" as a COLORREF (0x00bbggrr); black when unreadable.
quint32 colorRef(const QString& text)
{
    if (text.size() != 7 || !text.startsWith(QLatin1Char('#')))
        return 0;
    bool ok = false;
    const uint rgb = text.mid(1).toUInt(&ok, 16);
    if (!ok)
        return 0;
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

QString firstStopColor(const librevenge::RVNGPropertyList& style)
{
    for (const char* name : {"svg:linearGradient", "svg:radialGradient"}) {
        const librevenge::RVNGPropertyListVector* stops = style.child(name);
        if (stops && stops->count() > 0) {
            const QString color = RevengeValue::Text((*stops)[0], "svg:stop-color");
            if (!color.isEmpty())
                return color;
        }
    }
    return {};
}

double number(const librevenge::RVNGPropertyList& list, const char* name, double fallback = 0)
{
    return RevengeValue::Inches(list, name).value_or(fallback);
}

} // namespace

WmfDrawing::WmfDrawing()
{
    setStyle(librevenge::RVNGPropertyList()); // a black hairline, no fill
}
WmfDrawing::~WmfDrawing() = default;

void WmfDrawing::startPage(const librevenge::RVNGPropertyList& propList)
{
    if (mHasPage)
        return; // a picture has one page; later ones are not drawn
    mWidth = number(propList, "svg:width");
    mHeight = number(propList, "svg:height");
    if (mWidth <= 0 || mHeight <= 0)
        return;
    mHasPage = true;
    mUnitsPerInch = std::max(1.0, std::min(1440.0, std::floor(kMaxUnits / std::max(mWidth, mHeight))));
    mRecords.record(kSetMapMode, Params().word(kAnisotropic).data());
    mRecords.record(kSetWindowOrg, Params().word(0).word(0).data());
    mRecords.record(kSetWindowExt, Params().word(unitsY(mHeight)).word(unitsX(mWidth)).data());
    mRecords.record(kSetBkMode, Params().word(kTransparent).data());
}

qint16 WmfDrawing::unitsX(double inches) const
{
    return qint16(std::clamp(std::lround(inches * mUnitsPerInch), -32767L, 32767L));
}

qint16 WmfDrawing::unitsY(double inches) const
{
    return unitsX(inches);
}

void WmfDrawing::setStyle(const librevenge::RVNGPropertyList& propList)
{
    // Read once here: a picture may draw thousands of shapes in one style.
    const QString stroke = RevengeValue::Text(propList, "draw:stroke");
    mStyle.stroke = stroke != QLatin1String("none")
                    && RevengeValue::Number(propList, "svg:stroke-opacity").value_or(1.0) > 0;
    const int width = unitsX(number(propList, "svg:stroke-width"));
    // Styled pens exist only one unit wide.
    const bool dashed = stroke == QLatin1String("dash") && width <= 1;
    mStyle.pen = Params()
                     .word(dashed ? kPenDash : kPenSolid)
                     .word(std::max(width, 0))
                     .word(0)
                     .dword(colorRef(RevengeValue::Text(propList, "svg:stroke-color")))
                     .data();

    const QString fill = RevengeValue::Text(propList, "draw:fill");
    mStyle.fill = (fill == QLatin1String("solid") || fill == QLatin1String("gradient"))
                  && RevengeValue::Number(propList, "draw:opacity").value_or(1.0) > 0;
    QString color = RevengeValue::Text(propList, "draw:fill-color");
    if (fill == QLatin1String("gradient")) {
        const QString start = RevengeValue::Text(propList, "draw:start-color");
        const QString stop = firstStopColor(propList);
        color = !start.isEmpty() ? start : !stop.isEmpty() ? stop : color;
    }
    mStyle.brush = Params().word(kBrushSolid).dword(colorRef(color)).word(0).data();
    mStyle.fillRule =
        RevengeValue::Text(propList, "svg:fill-rule") == QLatin1String("nonzero") ? kWinding : kAlternate;
}

bool WmfDrawing::stroked() const
{
    return mStyle.stroke;
}

bool WmfDrawing::filled() const
{
    return mStyle.fill;
}

void WmfDrawing::usePen(bool stroke)
{
    static const QByteArray none = Params().word(kPenNull).word(0).word(0).dword(0).data();
    mRecords.select(mPen, kCreatePenIndirect, stroke ? mStyle.pen : none);
}

void WmfDrawing::useBrush(bool fill)
{
    static const QByteArray none = Params().word(kBrushNull).dword(0).word(0).data();
    mRecords.select(mBrush, kCreateBrushIndirect, fill ? mStyle.brush : none);
}

void WmfDrawing::useFillRule()
{
    if (mStyle.fillRule != mFillRule) {
        mRecords.record(kSetPolyFillMode, Params().word(mStyle.fillRule).data());
        mFillRule = mStyle.fillRule;
    }
}

WmfDrawing::Points WmfDrawing::pointsOf(const librevenge::RVNGPropertyList& propList) const
{
    Points points;
    const librevenge::RVNGPropertyListVector* vertices = propList.child("svg:points");
    if (!vertices)
        return points;
    for (unsigned long i = 0; i < vertices->count(); ++i)
        points.push_back(at(number((*vertices)[i], "svg:x"), number((*vertices)[i], "svg:y")));
    return points;
}

void WmfDrawing::polygonRecords(const std::vector<Path>& paths, bool fill, bool stroke)
{
    if (!mHasPage)
        return;
    std::vector<const Path*> shapes;
    size_t points = 0;
    for (const Path& path : paths) {
        if (path.points.size() >= 2)
            shapes.push_back(&path);
        points += path.points.size() + 1;
    }
    // A record counts its points in 16 bits.
    if (points > size_t(kMaxPointsPerRecord))
        return;
    if (shapes.empty())
        return;
    const bool allClosed = std::all_of(shapes.begin(), shapes.end(), [](const Path* p) { return p->closed; });
    if (fill) {
        useFillRule();
        useBrush(true);
        usePen(stroke && allClosed);
        if (shapes.size() == 1) {
            Params params;
            params.word(int(shapes[0]->points.size()));
            for (const QPoint& p : shapes[0]->points)
                params.point(p);
            mRecords.record(kPolygon, params.data());
        } else {
            Params params;
            params.word(int(shapes.size()));
            for (const Path* path : shapes)
                params.word(int(path->points.size()));
            for (const Path* path : shapes)
                for (const QPoint& p : path->points)
                    params.point(p);
            mRecords.record(kPolyPolygon, params.data());
        }
        ++mDrawn;
        if (!stroke || allClosed)
            return;
    }
    if (!stroke)
        return;
    usePen(true);
    for (const Path* path : shapes) {
        Params params;
        const bool close = path->closed && path->points.front() != path->points.back();
        params.word(int(path->points.size() + (close ? 1 : 0)));
        for (const QPoint& p : path->points)
            params.point(p);
        if (close)
            params.point(path->points.front());
        mRecords.record(kPolyline, params.data());
    }
    ++mDrawn;
}

void WmfDrawing::drawPolyline(const librevenge::RVNGPropertyList& propList)
{
    polygonRecords({Path{pointsOf(propList), false}}, false, stroked());
}

void WmfDrawing::drawPolygon(const librevenge::RVNGPropertyList& propList)
{
    polygonRecords({Path{pointsOf(propList), true}}, filled(), stroked());
}

void WmfDrawing::drawConnector(const librevenge::RVNGPropertyList& propList)
{
    drawPath(propList);
}

void WmfDrawing::drawRectangle(const librevenge::RVNGPropertyList& propList)
{
    if (!mHasPage)
        return;
    const double x = number(propList, "svg:x");
    const double y = number(propList, "svg:y");
    const QPoint topLeft = at(x, y);
    const QPoint bottomRight = at(x + number(propList, "svg:width"), y + number(propList, "svg:height"));
    useBrush(filled());
    usePen(stroked());
    const double rx = number(propList, "svg:rx");
    const double ry = number(propList, "svg:ry", rx);
    Params params;
    if (rx > 0 || ry > 0)
        params.word(unitsY(2 * ry)).word(unitsX(2 * rx));
    params.word(bottomRight.y()).word(bottomRight.x()).word(topLeft.y()).word(topLeft.x());
    mRecords.record(rx > 0 || ry > 0 ? kRoundRect : kRectangle, params.data());
    ++mDrawn;
}

void WmfDrawing::drawEllipse(const librevenge::RVNGPropertyList& propList)
{
    if (!mHasPage)
        return;
    const double cx = number(propList, "svg:cx");
    const double cy = number(propList, "svg:cy");
    const double rx = number(propList, "svg:rx");
    const double ry = number(propList, "svg:ry");
    const double rotate = RevengeValue::Number(propList, "librevenge:rotate").value_or(0);
    if (std::fmod(std::abs(rotate), 180.0) > 0.01) {
        // A turned ellipse: a polygon (turned counter-clockwise, y down).
        const double angle = -rotate * std::numbers::pi / 180;
        Path path{{}, true};
        for (int i = 0; i < kMaxCurveSegments; ++i) {
            const double t = 2 * std::numbers::pi * i / kMaxCurveSegments;
            const double ex = rx * std::cos(t);
            const double ey = ry * std::sin(t);
            path.points.push_back(at(cx + ex * std::cos(angle) - ey * std::sin(angle),
                                     cy + ex * std::sin(angle) + ey * std::cos(angle)));
        }
        polygonRecords({path}, filled(), stroked());
        return;
    }
    useBrush(filled());
    usePen(stroked());
    const QPoint topLeft = at(cx - rx, cy - ry);
    const QPoint bottomRight = at(cx + rx, cy + ry);
    mRecords.record(kEllipse,
           Params().word(bottomRight.y()).word(bottomRight.x()).word(topLeft.y()).word(topLeft.x()).data());
    ++mDrawn;
}

std::vector<WmfDrawing::Path> WmfDrawing::flatten(const librevenge::RVNGPropertyListVector& path) const
{
    // In the drawing's units, without points repeated.
    std::vector<Path> paths;
    for (const PathFlattener::Polyline& polyline : PathFlattener(mUnitsPerInch).flatten(path)) {
        Path flat;
        flat.closed = polyline.closed;
        for (const PathFlattener::Point& p : polyline.points) {
            const QPoint q = at(p.x, p.y);
            if (flat.points.empty() || flat.points.back() != q)
                flat.points.push_back(q);
        }
        paths.push_back(std::move(flat));
    }
    return paths;
}

void WmfDrawing::drawPath(const librevenge::RVNGPropertyList& propList)
{
    const librevenge::RVNGPropertyListVector* path = propList.child("svg:d");
    if (!path)
        return;
    polygonRecords(flatten(*path), filled(), stroked());
}

void WmfDrawing::drawGraphicObject(const librevenge::RVNGPropertyList& propList)
{
    const librevenge::RVNGProperty* data = propList["office:binary-data"];
    if (!mHasPage || !data)
        return;
    const librevenge::RVNGBinaryData binary(data->getStr());
    const QByteArray bytes(reinterpret_cast<const char*>(binary.getDataBuffer()), qsizetype(binary.size()));
    const QString mimeType = RevengeValue::Text(propList, "librevenge:mime-type");
    // Where it goes; a size left open (0) means the whole page.
    double x = number(propList, "svg:x");
    double y = number(propList, "svg:y");
    double width = number(propList, "svg:width");
    double height = number(propList, "svg:height");
    if (width <= 0 || height <= 0) {
        x = y = 0;
        width = mWidth;
        height = mHeight;
    }
    if (mEmbedded.empty()) {
        constexpr double kSlack = 0.01; // inches
        mSoleCoversPage = x <= kSlack && y <= kSlack && x + width >= mWidth - kSlack && y + height >= mHeight - kSlack;
    }
    mEmbedded.push_back({bytes, mimeType});
    if (mimeType == QLatin1String("image/bmp"))
        drawBitmap(bytes, x, y, width, height);
}

std::optional<WmfDrawing::Embedded> WmfDrawing::soleEmbedded() const
{
    if (mEmbedded.size() != 1 || mDrawn > mBitmaps || !mSoleCoversPage)
        return std::nullopt;
    return mEmbedded.front();
}

void WmfDrawing::drawBitmap(const QByteArray& bmp, double x, double y, double width, double height)
{
    // A BMP file is a 14-byte file header and the device-independent bitmap
    // the record carries; its info header gives the size in pixels.
    constexpr int kFileHeader = 14;
    if (bmp.size() < kFileHeader + 40 || !bmp.startsWith("BM"))
        return;
    const QByteArray dib = bmp.mid(kFileHeader);
    const qint32 pixelsWide = qFromLittleEndian<qint32>(dib.constData() + 4);
    const qint32 pixelsHigh = std::abs(qFromLittleEndian<qint32>(dib.constData() + 8));
    if (pixelsWide <= 0 || pixelsHigh <= 0 || pixelsWide > 32767 || pixelsHigh > 32767)
        return;
    const QPoint topLeft = at(x, y);
    const QPoint bottomRight = at(x + width, y + height);
    Params params;
    params.dword(kSourceCopy)
        .word(0) // the colours are RGB values
        .word(pixelsHigh)
        .word(pixelsWide)
        .word(0)
        .word(0)
        .word(bottomRight.y() - topLeft.y())
        .word(bottomRight.x() - topLeft.x())
        .word(topLeft.y())
        .word(topLeft.x())
        .bytes(dib);
    mRecords.record(kStretchDib, params.data());
    ++mDrawn;
    ++mBitmaps;
}

void WmfDrawing::startTextObject(const librevenge::RVNGPropertyList& propList)
{
    mInText = true;
    mFirstLine = true;
    mTextX = number(propList, "svg:x");
    mTextY = number(propList, "svg:y");
    mLineHeight = 12.0 / 72;
}

void WmfDrawing::endTextObject()
{
    mInText = false;
}

void WmfDrawing::openParagraph(const librevenge::RVNGPropertyList&)
{
    if (!mInText || !mHasPage)
        return;
    if (!mFirstLine)
        mTextY += mLineHeight;
    mFirstLine = false;
    const QPoint p = at(mTextX, mTextY + mLineHeight * 0.8); // the first baseline
    mRecords.record(kMoveTo, Params().word(p.y()).word(p.x()).data());
}

void WmfDrawing::insertLineBreak()
{
    openParagraph({});
}

void WmfDrawing::openSpan(const librevenge::RVNGPropertyList& propList)
{
    if (!mInText || !mHasPage)
        return;
    const double points = RevengeValue::Inches(propList, "fo:font-size").value_or(12.0 / 72) * 72;
    mLineHeight = points * 1.2 / 72;
    QByteArray face = RevengeValue::Text(propList, "style:font-name").toLatin1().left(31);
    face.append('\0');
    Params font;
    font.word(-unitsY(points / 72))
        .word(0)
        .word(0)
        .word(0)
        .word(RevengeValue::Text(propList, "fo:font-weight") == QLatin1String("bold") ? 700 : 400);
    Params flags;
    flags.word(RevengeValue::Text(propList, "fo:font-style") == QLatin1String("italic") ? 1 : 0) // italic, underline
        .word(0)                                                                                 // strike-out, ANSI
        .word(0)                                                                                 // precisions
        .word(0);                                                                                // quality, family
    mRecords.select(mFont, kCreateFontIndirect, font.data() + flags.data() + Params().bytes(face).data());
    const quint32 color = colorRef(RevengeValue::Text(propList, "fo:color"));
    if (color != mTextColor) {
        mRecords.record(kSetTextColor, Params().dword(color).data());
        mTextColor = color;
    }
}

void WmfDrawing::insertTab()
{
    writeText(QStringLiteral("    "));
}

void WmfDrawing::insertSpace()
{
    writeText(QStringLiteral(" "));
}

void WmfDrawing::insertText(const librevenge::RVNGString& text)
{
    writeText(QString::fromUtf8(text.cstr()));
}

void WmfDrawing::writeText(const QString& text)
{
    if (!mInText || !mHasPage || text.isEmpty())
        return;
    if (mFont.slot < 0)
        openSpan({});
    if (mFirstLine)
        openParagraph({});
    // Each piece of text goes on from where the last ended.
    mRecords.record(kSetTextAlign, Params().word(kAlignUpdateCpBaseline).data());
    const QByteArray bytes = text.toLatin1();
    mRecords.record(kExtTextOut, Params().word(0).word(0).word(int(bytes.size())).word(0).bytes(bytes).data());
    ++mDrawn;
}

QByteArray WmfDrawing::metafile() const
{
    if (!mHasPage || mDrawn == 0)
        return {};
    return mRecords.file(unitsX(mWidth), unitsY(mHeight), int(mUnitsPerInch));
}

} // namespace engine
