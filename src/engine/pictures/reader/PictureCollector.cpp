// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/reader/PictureCollector.h"

#include "engine/pictures/drawing/RevengeValue.h"
#include "platform/files/FileNames.h"

#include <QFile>
#include <libwpd/libwpd.h>
#include <librevenge-stream/librevenge-stream.h>

namespace engine {

PictureCollector::PictureCollector() = default;
PictureCollector::~PictureCollector() = default;

PictureCollector::Result PictureCollector::Collect(const QString& path)
{
    return Collect(platform::ReadWholeFile(path).value_or(QByteArray()));
}

PictureCollector::Result PictureCollector::Collect(const QByteArray& bytes)
{
    PictureCollector collector;
    try {
        // The header's major version: 0 for 5.x, 2 for 6 and later.
        collector.mVersion6 = bytes.size() > 10 && quint8(bytes.at(10)) >= 2;
        collector.mBoxes = WordPerfectBoxes::Scan(bytes);
        librevenge::RVNGStringStream input(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                           static_cast<unsigned int>(bytes.size()));
        // What libwpd handed over is kept, also when it gives up part-way.
        libwpd::WPDocument::parse(&input, &collector, nullptr);
    } catch (...) {
    }
    return std::move(collector.mResult);
}

void PictureCollector::openPageSpan(const librevenge::RVNGPropertyList& propList)
{
    const auto set = [&](double& value, const char* name) {
        if (const auto inches = RevengeValue::Inches(propList, name); inches && *inches >= 0)
            value = *inches;
    };
    mPage = {};
    set(mPage.width, "fo:page-width");
    set(mPage.height, "fo:page-height");
    set(mPage.marginLeft, "fo:margin-left");
    set(mPage.marginRight, "fo:margin-right");
    set(mPage.marginTop, "fo:margin-top");
    set(mPage.marginBottom, "fo:margin-bottom");
}

void PictureCollector::openParagraph(const librevenge::RVNGPropertyList&)
{
    if (!inBody())
        return;
    mInParagraph = true;
    mOffset = 0;
    if (mTables == 0) {
        mPlace = {mElements++, -1, 0, true};
    } else {
        mPlace = {mTableElement, mCells - 1, mCellParagraphs++, mTables == 1 && mCells > 0};
    }
}

void PictureCollector::closeParagraph()
{
    if (inBody())
        mInParagraph = false;
}

void PictureCollector::insertText(const librevenge::RVNGString& text)
{
    if (inBody())
        mOffset += int(QString::fromUtf8(text.cstr(), text.size()).size());
}

void PictureCollector::openTable(const librevenge::RVNGPropertyList&)
{
    if (!inBody())
        return;
    if (mTables == 0) {
        mTableElement = mElements++;
        mCells = 0;
    }
    ++mTables;
}

void PictureCollector::openTableCell(const librevenge::RVNGPropertyList&)
{
    if (inBody() && mTables == 1) {
        ++mCells;
        mCellParagraphs = 0;
    }
}

void PictureCollector::closeTable()
{
    if (inBody() && mTables > 0)
        --mTables;
}

void PictureCollector::openFrame(const librevenge::RVNGPropertyList& propList)
{
    EmbeddedPicture frame;
    frame.width = RevengeValue::Inches(propList, "svg:width");
    frame.height = RevengeValue::Inches(propList, "svg:height");
    frame.x = RevengeValue::Inches(propList, "svg:x");
    frame.y = RevengeValue::Inches(propList, "svg:y");
    frame.anchorType = RevengeValue::Text(propList, "text:anchor-type");
    frame.horizontalPos = RevengeValue::Text(propList, "style:horizontal-pos");
    frame.horizontalRel = RevengeValue::Text(propList, "style:horizontal-rel");
    frame.verticalPos = RevengeValue::Text(propList, "style:vertical-pos");
    frame.verticalRel = RevengeValue::Text(propList, "style:vertical-rel");
    frame.wrap = RevengeValue::Text(propList, "style:wrap");
    frame.page = mPage;
    frame.pageOffsetLessMargin = mVersion6;
    // The box this frame is, found by its size: a box anchored to its
    // paragraph that libwpd reports as anchored to the page is put right.
    const auto wpu = [](const std::optional<double>& inches) { return inches ? qRound(*inches * 1200) : -1; };
    for (std::size_t i = mNextBox; i < mBoxes.size(); ++i) {
        if (mBoxes[i].width == wpu(frame.width) && mBoxes[i].height == wpu(frame.height)) {
            if (mBoxes[i].anchor == WordPerfectBoxes::Anchor::Paragraph && frame.anchorType == QLatin1String("char"))
                frame.anchorType = QStringLiteral("paragraph");
            mNextBox = i + 1;
            break;
        }
    }
    if (mInParagraph) {
        frame.element = mPlace.element;
        frame.cell = mPlace.cell;
        frame.paragraphInCell = mPlace.paragraphInCell;
        frame.offset = mOffset;
    } else {
        // Between paragraphs: the start of the next one.
        frame.element = mElements;
    }
    mFrame = std::move(frame);
    mFrameFilled = false;
}

void PictureCollector::closeFrame()
{
    mFrame.reset();
}

void PictureCollector::insertBinaryObject(const librevenge::RVNGPropertyList& propList)
{
    // A frame may carry the same picture more than once (in other forms):
    // the first is the picture.
    if (!mFrame || mFrameFilled)
        return;
    mFrameFilled = true;
    const bool placeable = inBody() && (!mInParagraph || mPlace.placed) && (mInParagraph || mTables == 0);
    const librevenge::RVNGProperty* data = propList["office:binary-data"];
    if (!placeable || !data) {
        ++(placeable ? mResult.unread : mResult.unplaced);
        return;
    }
    const librevenge::RVNGBinaryData binary(data->getStr());
    EmbeddedPicture picture = *mFrame;
    picture.data = QByteArray(reinterpret_cast<const char*>(binary.getDataBuffer()), qsizetype(binary.size()));
    picture.mimeType = RevengeValue::Text(propList, "librevenge:mime-type");
    mResult.pictures.append(std::move(picture));
}

} // namespace engine
