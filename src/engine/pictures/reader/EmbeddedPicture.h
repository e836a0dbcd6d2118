// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace engine {

// One picture embedded in a WordPerfect document, as libwpd reports it: its
// data, the frame it stands in and where in the text that frame is anchored.
struct EmbeddedPicture {
    QByteArray data;
    QString mimeType;

    // The frame, lengths in inches, names as libwpd gives them
    // (text:anchor-type, style:horizontal-pos, style:horizontal-rel,
    // style:vertical-pos, style:vertical-rel, style:wrap).
    std::optional<double> width;
    std::optional<double> height;
    std::optional<double> x;
    std::optional<double> y;
    QString anchorType;
    QString horizontalPos;
    QString horizontalRel;
    QString verticalPos;
    QString verticalRel;
    QString wrap;

    // The page the frame stands on, as the page span libwpd opened around
    // it gives it (inches): placements relative to its edges and margins
    // become positions from the page's edges.
    struct Page {
        double width = 8.5;
        double height = 11;
        double marginLeft = 1;
        double marginRight = 1;
        double marginTop = 1;
        double marginBottom = 1;
    };
    Page page;
    // libwpd's reader of WordPerfect 6+ documents gives a vertical offset
    // "relative to the page" less the page's top margin; its reader of 5.x
    // documents gives the offset itself.
    bool pageOffsetLessMargin = false;

    // Where the anchor stands: the index of the body's top-level paragraph
    // or table (as the office enumerates the body text: paragraphs, tables
    // counted as one), and inside a table the cell (in the order the cells
    // come, row by row) and that cell's paragraph; then the number of
    // characters before the anchor in its paragraph.
    int element = 0;
    int cell = -1;
    int paragraphInCell = 0;
    int offset = 0;
};

} // namespace engine
