// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/pictures/drawing/MetafileRecords.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <librevenge/librevenge.h>
#include <optional>
#include <vector>

namespace engine {

// The drawing room (engine/pictures/drawing): a picture's drawing written as
// a Windows metafile (WmfDrawing, with PathFlattener for curves and arcs,
// MetafileRecords for the file's records, RevengeValue for librevenge's
// values).
//
// A librevenge drawing (what libwpg makes of a WordPerfect Graphics picture)
// written as a Windows metafile with a placeable header: the vector format
// Word 97 documents hold natively, which the office inserts and its Word
// export keeps as it is (an SVG would be exported as a bitmap).
//
// Kept: lines, polygons, paths (curves and arcs become short straight
// segments), rectangles, ellipses, solid pens and fills (a gradient is
// filled with its first colour), dashed hairlines, plain text, and
// bitmaps handed over as BMP. Not kept: transparency, patterns, bitmaps in
// other formats.
class WmfDrawing final : public librevenge::RVNGDrawingInterface {
public:
    WmfDrawing();
    ~WmfDrawing() override;

    // The metafile; empty when the drawing had no page or drew nothing.
    QByteArray metafile() const;

    // A picture in a format of its own that the drawing holds (WordPerfect
    // Graphics 2 wraps metafiles, bitmaps and the like this way).
    struct Embedded {
        QByteArray data;
        QString mimeType; // as libwpg names it ("image/wmf", "image/bmp", ...)
    };
    // The one embedded picture when it is the whole drawing: nothing else
    // drawn, and it fills the page (or leaves its size open). A metafile
    // cannot hold another metafile, so such a picture is best kept as it is.
    std::optional<Embedded> soleEmbedded() const;

    void startDocument(const librevenge::RVNGPropertyList&) override {}
    void endDocument() override {}
    void setDocumentMetaData(const librevenge::RVNGPropertyList&) override {}
    void defineEmbeddedFont(const librevenge::RVNGPropertyList&) override {}
    void startPage(const librevenge::RVNGPropertyList& propList) override;
    void endPage() override {}
    void startMasterPage(const librevenge::RVNGPropertyList&) override {}
    void endMasterPage() override {}
    void setStyle(const librevenge::RVNGPropertyList& propList) override;
    void startLayer(const librevenge::RVNGPropertyList&) override {}
    void endLayer() override {}
    void startEmbeddedGraphics(const librevenge::RVNGPropertyList&) override {}
    void endEmbeddedGraphics() override {}
    void openGroup(const librevenge::RVNGPropertyList&) override {}
    void closeGroup() override {}
    void drawRectangle(const librevenge::RVNGPropertyList& propList) override;
    void drawEllipse(const librevenge::RVNGPropertyList& propList) override;
    void drawPolygon(const librevenge::RVNGPropertyList& propList) override;
    void drawPolyline(const librevenge::RVNGPropertyList& propList) override;
    void drawPath(const librevenge::RVNGPropertyList& propList) override;
    void drawGraphicObject(const librevenge::RVNGPropertyList& propList) override;
    void drawConnector(const librevenge::RVNGPropertyList& propList) override;
    void startTextObject(const librevenge::RVNGPropertyList& propList) override;
    void endTextObject() override;
    void startTableObject(const librevenge::RVNGPropertyList&) override {}
    void openTableRow(const librevenge::RVNGPropertyList&) override {}
    void closeTableRow() override {}
    void openTableCell(const librevenge::RVNGPropertyList&) override {}
    void closeTableCell() override {}
    void insertCoveredTableCell(const librevenge::RVNGPropertyList&) override {}
    void endTableObject() override {}
    void openOrderedListLevel(const librevenge::RVNGPropertyList&) override {}
    void closeOrderedListLevel() override {}
    void openUnorderedListLevel(const librevenge::RVNGPropertyList&) override {}
    void closeUnorderedListLevel() override {}
    void openListElement(const librevenge::RVNGPropertyList& propList) override { openParagraph(propList); }
    void closeListElement() override {}
    void defineParagraphStyle(const librevenge::RVNGPropertyList&) override {}
    void openParagraph(const librevenge::RVNGPropertyList& propList) override;
    void closeParagraph() override {}
    void defineCharacterStyle(const librevenge::RVNGPropertyList&) override {}
    void openSpan(const librevenge::RVNGPropertyList& propList) override;
    void closeSpan() override {}
    void openLink(const librevenge::RVNGPropertyList&) override {}
    void closeLink() override {}
    void insertTab() override;
    void insertSpace() override;
    void insertText(const librevenge::RVNGString& text) override;
    void insertLineBreak() override;
    void insertField(const librevenge::RVNGPropertyList&) override {}

private:
    using Points = std::vector<QPoint>;
    struct Path {
        Points points;
        bool closed = false;
    };
    using Object = MetafileRecords::Object;

    qint16 unitsX(double inches) const;
    qint16 unitsY(double inches) const;
    QPoint at(double x, double y) const { return {unitsX(x), unitsY(y)}; }
    Points pointsOf(const librevenge::RVNGPropertyList& propList) const;
    std::vector<Path> flatten(const librevenge::RVNGPropertyListVector& path) const;

    void usePen(bool stroke);
    void useBrush(bool fill);
    void useFillRule();
    bool stroked() const;
    bool filled() const;

    void polygonRecords(const std::vector<Path>& paths, bool fill, bool stroke);
    void writeText(const QString& text);
    void drawBitmap(const QByteArray& bmp, double x, double y, double width, double height);

    std::vector<Embedded> mEmbedded;
    bool mSoleCoversPage = false; // the first embedded picture fills the page
    int mBitmaps = 0;             // embedded bitmaps drawn (part of mDrawn)
    bool mHasPage = false;
    double mWidth = 0;  // inches
    double mHeight = 0;
    double mUnitsPerInch = 1440;
    // The current style, as the records that make its pen and brush.
    struct Style {
        bool stroke = true;
        bool fill = false;
        QByteArray pen;
        QByteArray brush;
        int fillRule = 1;
    };
    Style mStyle;
    MetafileRecords mRecords;
    int mDrawn = 0;
    Object mPen;
    Object mBrush;
    Object mFont;
    int mFillRule = 0;
    // Text: where the next line starts, the current font size (points).
    double mTextX = 0;
    double mTextY = 0;
    double mLineHeight = 0;
    bool mInText = false;
    bool mFirstLine = true;
    quint32 mTextColor = 0xFFFFFFFF;
};

} // namespace engine
