// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/pictures/reader/EmbeddedPicture.h"
#include "engine/pictures/reader/WordPerfectBoxes.h"

#include <QList>
#include <QString>
#include <librevenge/librevenge.h>

namespace engine {

// Reads a WordPerfect document with libwpd (the office's own WordPerfect
// reader, so that both see the same text) and collects the pictures it
// reports, each with its frame and the place of its anchor in the body text.
//
// Where it stands is counted as the office builds its body text: every
// paragraph and list item of the body is one element, a table is one
// element, and inside a table the cells and their paragraphs are counted.
// Frames in headers, footers, notes, comments, text boxes and nested tables
// have no such place; their pictures are counted as left out.
class PictureCollector final : public librevenge::RVNGTextInterface {
public:
    struct Result {
        QList<EmbeddedPicture> pictures;
        int unplaced = 0; // pictures found where they cannot be placed
        int unread = 0;   // frames whose picture carries no data
    };

    static Result Collect(const QString& path);
    // The same for a document's bytes.
    static Result Collect(const QByteArray& document);

    PictureCollector();
    ~PictureCollector() override;

    void setDocumentMetaData(const librevenge::RVNGPropertyList&) override {}
    void startDocument(const librevenge::RVNGPropertyList&) override {}
    void endDocument() override {}
    void definePageStyle(const librevenge::RVNGPropertyList&) override {}
    void defineEmbeddedFont(const librevenge::RVNGPropertyList&) override {}
    void openPageSpan(const librevenge::RVNGPropertyList& propList) override;
    void closePageSpan() override {}
    void openHeader(const librevenge::RVNGPropertyList&) override { ++mAside; }
    void closeHeader() override { --mAside; }
    void openFooter(const librevenge::RVNGPropertyList&) override { ++mAside; }
    void closeFooter() override { --mAside; }
    void defineParagraphStyle(const librevenge::RVNGPropertyList&) override {}
    void openParagraph(const librevenge::RVNGPropertyList&) override;
    void closeParagraph() override;
    void defineCharacterStyle(const librevenge::RVNGPropertyList&) override {}
    void openSpan(const librevenge::RVNGPropertyList&) override {}
    void closeSpan() override {}
    void openLink(const librevenge::RVNGPropertyList&) override {}
    void closeLink() override {}
    void defineSectionStyle(const librevenge::RVNGPropertyList&) override {}
    void openSection(const librevenge::RVNGPropertyList&) override {}
    void closeSection() override {}
    void insertTab() override { advance(1); }
    void insertSpace() override { advance(1); }
    void insertText(const librevenge::RVNGString& text) override;
    void insertLineBreak() override { advance(1); }
    void insertField(const librevenge::RVNGPropertyList&) override { advance(1); }
    void openOrderedListLevel(const librevenge::RVNGPropertyList&) override {}
    void openUnorderedListLevel(const librevenge::RVNGPropertyList&) override {}
    void closeOrderedListLevel() override {}
    void closeUnorderedListLevel() override {}
    void openListElement(const librevenge::RVNGPropertyList& propList) override { openParagraph(propList); }
    void closeListElement() override { closeParagraph(); }
    // A note or comment is one character of its paragraph (its mark).
    void openFootnote(const librevenge::RVNGPropertyList&) override { openAside(true); }
    void closeFootnote() override { --mAside; }
    void openEndnote(const librevenge::RVNGPropertyList&) override { openAside(true); }
    void closeEndnote() override { --mAside; }
    void openComment(const librevenge::RVNGPropertyList&) override { openAside(true); }
    void closeComment() override { --mAside; }
    void openTextBox(const librevenge::RVNGPropertyList&) override { openAside(false); }
    void closeTextBox() override { --mAside; }
    void openTable(const librevenge::RVNGPropertyList&) override;
    void openTableRow(const librevenge::RVNGPropertyList&) override {}
    void closeTableRow() override {}
    void openTableCell(const librevenge::RVNGPropertyList&) override;
    void closeTableCell() override {}
    void insertCoveredTableCell(const librevenge::RVNGPropertyList&) override {}
    void closeTable() override;
    void openFrame(const librevenge::RVNGPropertyList& propList) override;
    void closeFrame() override;
    void insertBinaryObject(const librevenge::RVNGPropertyList& propList) override;
    void insertEquation(const librevenge::RVNGPropertyList&) override {}
    void openGroup(const librevenge::RVNGPropertyList&) override {}
    void closeGroup() override {}
    void defineGraphicStyle(const librevenge::RVNGPropertyList&) override {}
    void drawRectangle(const librevenge::RVNGPropertyList&) override {}
    void drawEllipse(const librevenge::RVNGPropertyList&) override {}
    void drawPolygon(const librevenge::RVNGPropertyList&) override {}
    void drawPolyline(const librevenge::RVNGPropertyList&) override {}
    void drawPath(const librevenge::RVNGPropertyList&) override {}
    void drawConnector(const librevenge::RVNGPropertyList&) override {}

private:
    bool inBody() const { return mAside == 0; }
    void advance(int characters)
    {
        if (inBody())
            mOffset += characters;
    }
    void openAside(bool markInText)
    {
        if (markInText)
            advance(1);
        ++mAside;
    }

    // Where the paragraph open now stands; `placed` is false where a
    // picture cannot be put (a nested table).
    struct Place {
        int element = 0;
        int cell = -1;
        int paragraphInCell = 0;
        bool placed = true;
    };

    Result mResult;
    int mAside = 0;      // depth of headers, footers, notes, comments, text boxes
    int mTables = 0;     // depth of body tables
    int mElements = 0;   // body elements begun so far
    int mCells = 0;      // cells begun in the current top-level table
    int mCellParagraphs = 0;
    int mTableElement = 0;
    Place mPlace;
    bool mInParagraph = false;
    int mOffset = 0;
    // The frame open now, if any, and whether it has had its picture.
    std::optional<EmbeddedPicture> mFrame;
    EmbeddedPicture::Page mPage; // of the page span open now
    bool mVersion6 = false;      // a WordPerfect 6+ document
    // The document's boxes as its text states them, and the next one a
    // frame may be.
    std::vector<WordPerfectBoxes::Box> mBoxes;
    std::size_t mNextBox = 0;
    bool mFrameFilled = false;
};

} // namespace engine
