// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/drawing/PathFlattener.h"

#include "engine/pictures/drawing/RevengeValue.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace engine {

namespace {

constexpr int kMaxCurveSegments = 64;
constexpr double kUnitsPerSegment = 40;

double number(const librevenge::RVNGPropertyList& list, const char* name, double fallback = 0)
{
    return RevengeValue::Inches(list, name).value_or(fallback);
}

} // namespace

int PathFlattener::steps(double lengthInches) const
{
    return std::clamp(int(std::ceil(lengthInches * mUnitsPerInch / kUnitsPerSegment)), 2, kMaxCurveSegments);
}

void PathFlattener::add(const Point& p)
{
    if (mPaths.empty())
        mPaths.push_back({});
    mPaths.back().points.push_back(p);
}

void PathFlattener::cubic(const Point& p1, const Point& p2, const Point& p3)
{
    const Point& p0 = mCurrent;
    const int n = steps(std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y)
                        + std::hypot(p3.x - p2.x, p3.y - p2.y));
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n;
        const double u = 1 - t;
        add({u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
             u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
    }
    mLastControl = p2;
    mCurrent = p3;
}

void PathFlattener::arc(double rx, double ry, double rotation, bool large, bool sweep, const Point& end)
{
    // The endpoint form of an elliptic arc turned into its centre form.
    rx = std::abs(rx);
    ry = std::abs(ry);
    if (rx == 0 || ry == 0) {
        add(end);
        mCurrent = end;
        return;
    }
    const double phi = rotation * std::numbers::pi / 180;
    const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
    const double dx = (mCurrent.x - end.x) / 2, dy = (mCurrent.y - end.y) / 2;
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
    const double cx = cosPhi * cx1 - sinPhi * cy1 + (mCurrent.x + end.x) / 2;
    const double cy = sinPhi * cx1 + cosPhi * cy1 + (mCurrent.y + end.y) / 2;
    const double theta = std::atan2((y1 - cy1) / ry, (x1 - cx1) / rx);
    double delta = std::atan2((-y1 - cy1) / ry, (-x1 - cx1) / rx) - theta;
    if (sweep && delta < 0)
        delta += 2 * std::numbers::pi;
    else if (!sweep && delta > 0)
        delta -= 2 * std::numbers::pi;
    const int n = steps(std::abs(delta) * std::max(rx, ry));
    for (int i = 1; i <= n; ++i) {
        const double t = theta + delta * i / n;
        const double ex = rx * std::cos(t), ey = ry * std::sin(t);
        add({cx + cosPhi * ex - sinPhi * ey, cy + sinPhi * ex + cosPhi * ey});
    }
    mCurrent = end;
}

// The first control point of an S or T: the last one reflected through the
// pen when the previous action was a curve of the same kind, else the pen.
PathFlattener::Point PathFlattener::reflected(bool afterSameKind) const
{
    return afterSameKind ? Point{2 * mCurrent.x - mLastControl.x, 2 * mCurrent.y - mLastControl.y} : mCurrent;
}

void PathFlattener::cubicTo(const librevenge::RVNGPropertyList& element, bool smooth, bool afterCubic, const Point& to)
{
    const Point p1 = smooth ? reflected(afterCubic)
                            : Point{number(element, "svg:x1", mCurrent.x), number(element, "svg:y1", mCurrent.y)};
    const Point p2{number(element, smooth ? "svg:x1" : "svg:x2", to.x),
                   number(element, smooth ? "svg:y1" : "svg:y2", to.y)};
    cubic(p1, p2, to);
}

void PathFlattener::quadraticTo(const librevenge::RVNGPropertyList& element, bool smooth, bool afterQuadratic,
                                const Point& to)
{
    const Point q = smooth ? reflected(afterQuadratic)
                           : Point{number(element, "svg:x1", mCurrent.x), number(element, "svg:y1", mCurrent.y)};
    // A quadratic curve is the cubic with these control points.
    const Point from = mCurrent;
    cubic({from.x + 2.0 / 3 * (q.x - from.x), from.y + 2.0 / 3 * (q.y - from.y)},
          {to.x + 2.0 / 3 * (q.x - to.x), to.y + 2.0 / 3 * (q.y - to.y)}, to);
    mLastControl = q;
}

void PathFlattener::follow(const librevenge::RVNGPropertyList& element, char action, char lastAction)
{
    const Point to{number(element, "svg:x", mCurrent.x), number(element, "svg:y", mCurrent.y)};
    // A path that does not begin with M begins where the pen is.
    if (action != 'M' && action != 'Z' && mPaths.empty())
        add(mCurrent);
    switch (action) {
    case 'M':
        mPaths.push_back({});
        mCurrent = mStart = to;
        add(to);
        break;
    case 'L':
    case 'H':
    case 'V':
        mCurrent = to;
        add(to);
        break;
    case 'C':
    case 'S':
        cubicTo(element, action == 'S', lastAction == 'C' || lastAction == 'S', to);
        break;
    case 'Q':
    case 'T':
        quadraticTo(element, action == 'T', lastAction == 'Q' || lastAction == 'T', to);
        break;
    case 'A':
        arc(number(element, "svg:rx"), number(element, "svg:ry"),
            RevengeValue::Number(element, "librevenge:rotate").value_or(0),
            RevengeValue::Number(element, "librevenge:large-arc").value_or(0) != 0,
            RevengeValue::Number(element, "librevenge:sweep").value_or(0) != 0, to);
        break;
    case 'Z':
        if (!mPaths.empty()) {
            mPaths.back().closed = true;
            mCurrent = mStart;
        }
        break;
    default:
        break;
    }
}

std::vector<PathFlattener::Polyline> PathFlattener::flatten(const librevenge::RVNGPropertyListVector& path)
{
    mPaths.clear();
    mCurrent = mStart = mLastControl = {};
    char lastAction = 0;
    for (unsigned long i = 0; i < path.count(); ++i) {
        const QString action = RevengeValue::Text(path[i], "librevenge:path-action");
        if (action.isEmpty())
            continue;
        const char a = action[0].toLatin1();
        follow(path[i], a, lastAction);
        lastAction = a;
    }
    return std::move(mPaths);
}

} // namespace engine
