// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/pictures/reader/EmbeddedPicture.h"

#include <optional>
#include <sal/types.h>

namespace engine {

// Where a picture's frame goes in the office's text document, worked out from
// the frame libwpd reports (see EmbeddedPicture), in the office's units
// (1/100 mm) and constants (text::HoriOrientation, VertOrientation,
// RelOrientation).
//
// Placements relative to the page's edges, its margins or its text area
// become positions from the page's edges, kept on the page: Word 97 holds a
// picture relative to the page, the margins or the paragraph, and drops or
// moves one that would stand outside the paper. libwpd gives the vertical
// offset of a WordPerfect 6 box "relative to the page" less the top margin,
// so the margin is added back; and a paragraph's box is measured from the
// paragraph's top, whatever libwpd calls it. Alignments (left, centre,
// right, top, middle, bottom) and positions relative to the paragraph stay
// as they are. The frame keeps its size.
class FramePlacement final {
public:
    struct Axis {
        std::optional<sal_Int16> orient;   // HoriOrientation / VertOrientation
        std::optional<sal_Int16> relation; // RelOrientation
        sal_Int32 position = 0;            // with orient NONE
    };

    // `width` and `height`: the frame's size as it will be inserted
    // (1/100 mm), needed to keep it on the page.
    static FramePlacement For(const EmbeddedPicture& picture, sal_Int32 width, sal_Int32 height);

    Axis horizontal;
    Axis vertical;

    static sal_Int32 HundredthMm(double inches);
};

} // namespace engine
