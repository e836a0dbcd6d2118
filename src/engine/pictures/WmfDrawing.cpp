#include "engine/pictures/WmfDrawing.h"

#include "engine/pictures/RevengeValue.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace engine {

namespace {

// Metafile record functions (the low byte names the record, the high byte
// the number of parameter words some players expect).
enum : quint16 {
    kEof = 0x0000,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetPolyFillMode = 0x0106,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDeleteObject = 0x01F0,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kMoveTo = 0x0214,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kPolyPolygon = 0x0538,
    kRoundRect = 0x061C,
    kExtTextOut = 0x0A32,
    kStretchDib = 0x0F43,
};

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
constexpr int kMaxCurveSegments = 64;
constexpr int kMaxPointsPerRecord = 32000;

class Params {
public:
    Params& word(qint32 value)
    {
        const quint16 w = quint16(value);
        mBytes.append(char(w & 0xFF)).append(char(w >> 8));
        return *this;
    }
    Params& dword(quint32 value) { return word(qint32(value & 0xFFFF)).word(qint32(value >> 16)); }
    Params& point(const QPoint& p) { return word(p.x()).word(p.y()); }
    Params& bytes(const QByteArray& b)
    {
        mBytes.append(b);
        if (b.size() % 2)
            mBytes.append('\0');
        return *this;
    }
    const QByteArray& data() const { return mBytes; }

private:
    QByteArray mBytes;
};

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
    record(kSetMapMode, Params().word(kAnisotropic).data());
    record(kSetWindowOrg, Params().word(0).word(0).data());
    record(kSetWindowExt, Params().word(unitsY(mHeight)).word(unitsX(mWidth)).data());
    record(kSetBkMode, Params().word(kTransparent).data());
}

qint16 WmfDrawing::unitsX(double inches) const
{
    return qint16(std::clamp(std::lround(inches * mUnitsPerInch), -32767L, 32767L));
}

qint16 WmfDrawing::unitsY(double inches) const
{
    return unitsX(inches);
}

void WmfDrawing::record(quint16 function, const QByteArray& params)
{
    const quint32 words = 3 + quint32(params.size() / 2);
    Params head;
    head.dword(words).word(function);
    mRecords.append(head.data()).append(params);
    mMaxRecordWords = std::max(mMaxRecordWords, words);
}

int WmfDrawing::createObject(quint16 function, const QByteArray& params)
{
    // The player puts a new object into the lowest free slot.
    const auto free = std::find(mSlots.begin(), mSlots.end(), false);
    const int slot = int(free - mSlots.begin());
    if (free == mSlots.end())
        mSlots.push_back(true);
    else
        *free = true;
    record(function, params);
    return slot;
}

void WmfDrawing::select(Object& current, quint16 function, const QByteArray& params)
{
    if (current.slot >= 0 && current.key == params)
        return;
    const int slot = createObject(function, params);
    record(kSelectObject, Params().word(slot).data());
    if (current.slot >= 0) {
        record(kDeleteObject, Params().word(current.slot).data());
        mSlots[size_t(current.slot)] = false;
    }
    current.slot = slot;
    current.key = params;
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
    select(mPen, kCreatePenIndirect, stroke ? mStyle.pen : none);
}

void WmfDrawing::useBrush(bool fill)
{
    static const QByteArray none = Params().word(kBrushNull).dword(0).word(0).data();
    select(mBrush, kCreateBrushIndirect, fill ? mStyle.brush : none);
}

void WmfDrawing::useFillRule()
{
    if (mStyle.fillRule != mFillRule) {
        record(kSetPolyFillMode, Params().word(mStyle.fillRule).data());
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
            record(kPolygon, params.data());
        } else {
            Params params;
            params.word(int(shapes.size()));
            for (const Path* path : shapes)
                params.word(int(path->points.size()));
            for (const Path* path : shapes)
                for (const QPoint& p : path->points)
                    params.point(p);
            record(kPolyPolygon, params.data());
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
        record(kPolyline, params.data());
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
    record(rx > 0 || ry > 0 ? kRoundRect : kRectangle, params.data());
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
    record(kEllipse,
           Params().word(bottomRight.y()).word(bottomRight.x()).word(topLeft.y()).word(topLeft.x()).data());
    ++mDrawn;
}

std::vector<WmfDrawing::Path> WmfDrawing::flatten(const librevenge::RVNGPropertyListVector& path) const
{
    struct P {
        double x = 0, y = 0;
    };
    std::vector<Path> paths;
    P current, start, lastControl;
    char lastAction = 0;
    const auto add = [&](const P& p) {
        if (paths.empty())
            paths.push_back({});
        const QPoint q = at(p.x, p.y);
        if (paths.back().points.empty() || paths.back().points.back() != q)
            paths.back().points.push_back(q);
    };
    const auto cubic = [&](const P& p1, const P& p2, const P& p3) {
        const double length = (std::hypot(p1.x - current.x, p1.y - current.y) + std::hypot(p2.x - p1.x, p2.y - p1.y)
                               + std::hypot(p3.x - p2.x, p3.y - p2.y))
                              * mUnitsPerInch;
        const int steps = std::clamp(int(std::ceil(length / 40)), 2, kMaxCurveSegments);
        for (int i = 1; i <= steps; ++i) {
            const double t = double(i) / steps;
            const double u = 1 - t;
            add({u * u * u * current.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                 u * u * u * current.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
        }
        lastControl = p2;
        current = p3;
    };
    const auto arc = [&](double rx, double ry, double rotation, bool large, bool sweep, const P& end) {
        // The endpoint form of an elliptic arc turned into its centre form.
        rx = std::abs(rx);
        ry = std::abs(ry);
        if (rx == 0 || ry == 0) {
            add(end);
            current = end;
            return;
        }
        const double phi = rotation * std::numbers::pi / 180;
        const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
        const double dx = (current.x - end.x) / 2, dy = (current.y - end.y) / 2;
        const double x1 = cosPhi * dx + sinPhi * dy, y1 = -sinPhi * dx + cosPhi * dy;
        const double lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
        if (lambda > 1) {
            rx *= std::sqrt(lambda);
            ry *= std::sqrt(lambda);
        }
        const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
        const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
        double factor = den > 0 ? std::sqrt(std::max(0.0, num / den)) : 0;
        if (large == sweep)
            factor = -factor;
        const double cx1 = factor * rx * y1 / ry, cy1 = -factor * ry * x1 / rx;
        const double cx = cosPhi * cx1 - sinPhi * cy1 + (current.x + end.x) / 2;
        const double cy = sinPhi * cx1 + cosPhi * cy1 + (current.y + end.y) / 2;
        const double theta = std::atan2((y1 - cy1) / ry, (x1 - cx1) / rx);
        double delta = std::atan2((-y1 - cy1) / ry, (-x1 - cx1) / rx) - theta;
        if (sweep && delta < 0)
            delta += 2 * std::numbers::pi;
        else if (!sweep && delta > 0)
            delta -= 2 * std::numbers::pi;
        const int steps = std::clamp(int(std::ceil(std::abs(delta) * std::max(rx, ry) * mUnitsPerInch / 40)), 2,
                                     kMaxCurveSegments);
        for (int i = 1; i <= steps; ++i) {
            const double t = theta + delta * i / steps;
            const double ex = rx * std::cos(t), ey = ry * std::sin(t);
            add({cx + cosPhi * ex - sinPhi * ey, cy + sinPhi * ex + cosPhi * ey});
        }
        current = end;
    };
    for (unsigned long i = 0; i < path.count(); ++i) {
        const librevenge::RVNGPropertyList& element = path[i];
        const QString action = RevengeValue::Text(element, "librevenge:path-action");
        if (action.isEmpty())
            continue;
        const char a = action[0].toLatin1();
        const P to{number(element, "svg:x", current.x), number(element, "svg:y", current.y)};
        switch (a) {
        case 'M':
            paths.push_back({});
            current = start = to;
            add(to);
            break;
        case 'L':
        case 'H':
        case 'V':
            if (paths.empty())
                add(current);
            current = to;
            add(to);
            break;
        case 'C':
        case 'S': {
            if (paths.empty())
                add(current);
            P p1{number(element, "svg:x1", current.x), number(element, "svg:y1", current.y)};
            if (a == 'S')
                p1 = (lastAction == 'C' || lastAction == 'S')
                         ? P{2 * current.x - lastControl.x, 2 * current.y - lastControl.y}
                         : current;
            const P p2{number(element, a == 'S' ? "svg:x1" : "svg:x2", to.x),
                       number(element, a == 'S' ? "svg:y1" : "svg:y2", to.y)};
            cubic(p1, p2, to);
            break;
        }
        case 'Q':
        case 'T': {
            if (paths.empty())
                add(current);
            P q{number(element, "svg:x1", current.x), number(element, "svg:y1", current.y)};
            if (a == 'T')
                q = (lastAction == 'Q' || lastAction == 'T')
                        ? P{2 * current.x - lastControl.x, 2 * current.y - lastControl.y}
                        : current;
            const P from = current;
            cubic({from.x + 2.0 / 3 * (q.x - from.x), from.y + 2.0 / 3 * (q.y - from.y)},
                  {to.x + 2.0 / 3 * (q.x - to.x), to.y + 2.0 / 3 * (q.y - to.y)}, to);
            lastControl = q;
            break;
        }
        case 'A':
            if (paths.empty())
                add(current);
            arc(number(element, "svg:rx"), number(element, "svg:ry"),
                RevengeValue::Number(element, "librevenge:rotate").value_or(0),
                RevengeValue::Number(element, "librevenge:large-arc").value_or(0) != 0,
                RevengeValue::Number(element, "librevenge:sweep").value_or(0) != 0, to);
            break;
        case 'Z':
            if (!paths.empty()) {
                paths.back().closed = true;
                current = start;
            }
            break;
        default:
            break;
        }
        lastAction = a;
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
    record(kStretchDib, params.data());
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
    record(kMoveTo, Params().word(p.y()).word(p.x()).data());
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
    select(mFont, kCreateFontIndirect, font.data() + flags.data() + Params().bytes(face).data());
    const quint32 color = colorRef(RevengeValue::Text(propList, "fo:color"));
    if (color != mTextColor) {
        record(kSetTextColor, Params().dword(color).data());
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
    record(kSetTextAlign, Params().word(kAlignUpdateCpBaseline).data());
    const QByteArray bytes = text.toLatin1();
    record(kExtTextOut, Params().word(0).word(0).word(int(bytes.size())).word(0).bytes(bytes).data());
    ++mDrawn;
}

QByteArray WmfDrawing::metafile() const
{
    if (!mHasPage || mDrawn == 0)
        return {};
    const QByteArray records = mRecords;
    Params eof;
    eof.dword(3).word(kEof);
    const quint32 words = 9 + quint32(records.size() / 2) + 3;
    Params header;
    header.word(1)  // in memory
        .word(9)    // header words
        .word(0x0300)
        .dword(words)
        .word(int(std::max<size_t>(mSlots.size(), 1)))
        .dword(std::max<quint32>(mMaxRecordWords, 3))
        .word(0);
    const qint16 right = unitsX(mWidth);
    const qint16 bottom = unitsY(mHeight);
    Params placeable;
    placeable.dword(0x9AC6CDD7).word(0).word(0).word(0).word(right).word(bottom).word(int(mUnitsPerInch)).dword(0);
    quint16 checksum = 0;
    for (int i = 0; i < placeable.data().size(); i += 2)
        checksum ^= qFromLittleEndian<quint16>(placeable.data().constData() + i);
    placeable.word(checksum);
    return placeable.data() + header.data() + records + eof.data();
}

} // namespace engine
