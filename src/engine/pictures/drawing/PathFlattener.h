// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <librevenge/librevenge.h>
#include <vector>

namespace engine {

// A librevenge path (the SVG path actions M, L, H, V, C, S, Q, T, A and Z,
// lengths in inches) as polylines, which a Windows metafile can draw: curves
// and elliptic arcs become short straight segments, about one per 40 units
// of their length in the drawing's units, at least 2 and at most 64 each.
// Each M starts a polyline; Z closes it.
class PathFlattener final {
public:
    struct Point {
        double x = 0;
        double y = 0;
    };
    struct Polyline {
        std::vector<Point> points;
        bool closed = false;
    };

    // `unitsPerInch`: the drawing's units, which decide how finely curves
    // are cut.
    explicit PathFlattener(double unitsPerInch) : mUnitsPerInch(unitsPerInch) {}

    std::vector<Polyline> flatten(const librevenge::RVNGPropertyListVector& path);

private:
    void follow(const librevenge::RVNGPropertyList& element, char action, char lastAction);
    void cubicTo(const librevenge::RVNGPropertyList& element, bool smooth, bool afterCubic, const Point& to);
    void quadraticTo(const librevenge::RVNGPropertyList& element, bool smooth, bool afterQuadratic, const Point& to);
    Point reflected(bool afterSameKind) const;
    void add(const Point& p);
    void cubic(const Point& p1, const Point& p2, const Point& p3);
    void arc(double rx, double ry, double rotation, bool large, bool sweep, const Point& end);
    int steps(double lengthInches) const;

    double mUnitsPerInch;
    std::vector<Polyline> mPaths;
    Point mCurrent;
    Point mStart;
    Point mLastControl;
};

} // namespace engine
