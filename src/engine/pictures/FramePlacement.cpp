// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/FramePlacement.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/VertOrientation.hpp>

using namespace css;

namespace engine {

namespace {

struct Named {
    const char* name;
    sal_Int16 value;
};

std::optional<sal_Int16> lookUp(const QString& name, std::initializer_list<Named> table)
{
    for (const Named& entry : table)
        if (name == QLatin1String(entry.name))
            return entry.value;
    return std::nullopt;
}

std::optional<sal_Int16> relation(const QString& name)
{
    return lookUp(name, {{"page", text::RelOrientation::PAGE_FRAME},
                         {"page-content", text::RelOrientation::PAGE_PRINT_AREA},
                         {"page-start-margin", text::RelOrientation::PAGE_LEFT},
                         {"page-end-margin", text::RelOrientation::PAGE_RIGHT},
                         {"paragraph", text::RelOrientation::FRAME},
                         {"paragraph-content", text::RelOrientation::PRINT_AREA},
                         {"paragraph-start-margin", text::RelOrientation::FRAME_LEFT},
                         {"paragraph-end-margin", text::RelOrientation::FRAME_RIGHT},
                         {"char", text::RelOrientation::CHAR},
                         {"line", text::RelOrientation::TEXT_LINE}});
}

// Where a position measured from `relation` starts on the page (inches from
// the page's left or top edge); none for a position relative to the text.
std::optional<double> pageStart(const QString& relation, double pageSize, double marginBefore, double marginAfter,
                                double pageShift)
{
    if (relation == QLatin1String("page"))
        return pageShift; // see the class comment
    if (relation == QLatin1String("page-content") || relation == QLatin1String("page-start-margin"))
        return relation == QLatin1String("page-content") ? marginBefore : 0.0;
    if (relation == QLatin1String("page-end-margin"))
        return pageSize - marginAfter;
    return std::nullopt;
}

// A position from `from` (or alignment) along one axis.
FramePlacement::Axis axis(const QString& pos, const QString& rel, std::optional<double> offset, const char* fromName,
                          std::initializer_list<Named> alignments, sal_Int16 none, double pageSize,
                          double marginBefore, double marginAfter, sal_Int32 size, double pageShift)
{
    FramePlacement::Axis result;
    result.relation = relation(rel);
    if (pos != QLatin1String(fromName)) {
        result.orient = lookUp(pos, alignments);
        return result;
    }
    result.orient = none;
    const std::optional<double> start = pageStart(rel, pageSize, marginBefore, marginAfter, pageShift);
    if (!start) {
        result.position = FramePlacement::HundredthMm(offset.value_or(0));
        return result;
    }
    // From the page's edge, the whole frame on the paper.
    const sal_Int32 onPage = FramePlacement::HundredthMm(*start + offset.value_or(0));
    const sal_Int32 room = std::max<sal_Int32>(0, FramePlacement::HundredthMm(pageSize) - size);
    result.relation = text::RelOrientation::PAGE_FRAME;
    result.position = std::clamp<sal_Int32>(onPage, 0, room);
    return result;
}

} // namespace

sal_Int32 FramePlacement::HundredthMm(double inches)
{
    return sal_Int32(std::lround(inches * 2540.0));
}

FramePlacement FramePlacement::For(const EmbeddedPicture& picture, sal_Int32 width, sal_Int32 height)
{
    const EmbeddedPicture::Page& page = picture.page;
    const double topShift = picture.pageOffsetLessMargin ? page.marginTop : 0.0;
    FramePlacement placement;
    placement.horizontal = axis(picture.horizontalPos, picture.horizontalRel, picture.x, "from-left",
                                {{"left", text::HoriOrientation::LEFT},
                                 {"center", text::HoriOrientation::CENTER},
                                 {"right", text::HoriOrientation::RIGHT}},
                                text::HoriOrientation::NONE, page.width, page.marginLeft, page.marginRight, width,
                                0.0);
    placement.vertical = axis(picture.verticalPos, picture.verticalRel, picture.y, "from-top",
                              {{"top", text::VertOrientation::TOP},
                               {"middle", text::VertOrientation::CENTER},
                               {"bottom", text::VertOrientation::BOTTOM}},
                              text::VertOrientation::NONE, page.height, page.marginTop, page.marginBottom, height,
                              topShift);
    // WordPerfect measures a paragraph's box from the paragraph's top;
    // libwpd reports it against the page all the same.
    if (picture.anchorType == QLatin1String("paragraph") && picture.verticalRel == QLatin1String("page")
        && picture.verticalPos == QLatin1String("from-top")) {
        placement.vertical.relation = text::RelOrientation::FRAME;
        placement.vertical.position = HundredthMm(picture.y.value_or(0) + topShift);
    }
    return placement;
}

} // namespace engine
