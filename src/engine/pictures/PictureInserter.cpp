// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/PictureInserter.h"

#include "engine/office/UnoRuntime.h"
#include "engine/pictures/FramePlacement.h"

#include <QHash>
#include <algorithm>
#include <map>
#include <tuple>
#include <cmath>
#include <vector>

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/graphic/GraphicProvider.hpp>
#include <com/sun/star/graphic/XGraphic.hpp>
#include <com/sun/star/io/SequenceInputStream.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/WrapTextMode.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextTable.hpp>

using namespace css;

namespace engine {

namespace {

text::TextContentAnchorType anchorType(const QString& name)
{
    if (name == QLatin1String("paragraph"))
        return text::TextContentAnchorType_AT_PARAGRAPH;
    if (name == QLatin1String("as-char"))
        return text::TextContentAnchorType_AS_CHARACTER;
    // "char", and "page" (which would need a page number the text does not
    // give): at the character where the frame stands.
    return text::TextContentAnchorType_AT_CHARACTER;
}

std::optional<text::WrapTextMode> wrapMode(const QString& name)
{
    if (name == QLatin1String("none"))
        return text::WrapTextMode_NONE;
    if (name == QLatin1String("left"))
        return text::WrapTextMode_LEFT;
    if (name == QLatin1String("right"))
        return text::WrapTextMode_RIGHT;
    if (name == QLatin1String("parallel"))
        return text::WrapTextMode_PARALLEL;
    if (name == QLatin1String("dynamic"))
        return text::WrapTextMode_DYNAMIC;
    if (name == QLatin1String("run-through"))
        return text::WrapTextMode_THROUGH;
    return std::nullopt;
}

void set(const uno::Reference<beans::XPropertySet>& object, const char* name, const uno::Any& value)
{
    object->setPropertyValue(rtl::OUString::createFromAscii(name), value);
}

// Whether the office read the picture as nothing at all (no size): it would
// stand as an empty frame.
bool isEmpty(const uno::Reference<graphic::XGraphic>& graphic)
{
    const uno::Reference<beans::XPropertySet> properties(graphic, uno::UNO_QUERY);
    if (!properties.is())
        return false;
    awt::Size logical;
    awt::Size pixels;
    properties->getPropertyValue(rtl::OUString("Size100thMM")) >>= logical;
    properties->getPropertyValue(rtl::OUString("SizePixel")) >>= pixels;
    return (logical.Width <= 0 || logical.Height <= 0) && (pixels.Width <= 0 || pixels.Height <= 0);
}

// The frame's properties onto the graphic object.
void placeFrame(const uno::Reference<beans::XPropertySet>& object, const EmbeddedPicture& picture,
                const uno::Reference<graphic::XGraphic>& graphic)
{
    const text::TextContentAnchorType anchor = anchorType(picture.anchorType);
    set(object, "AnchorType", uno::Any(anchor));

    // The frame's size; a side it leaves open follows the picture's own
    // proportions.
    awt::Size own;
    const uno::Reference<beans::XPropertySet> graphicProperties(graphic, uno::UNO_QUERY);
    if (graphicProperties.is())
        graphicProperties->getPropertyValue(rtl::OUString("Size100thMM")) >>= own;
    const auto hundredthMm = &FramePlacement::HundredthMm;
    sal_Int32 width = picture.width ? hundredthMm(*picture.width) : 0;
    sal_Int32 height = picture.height ? hundredthMm(*picture.height) : 0;
    if (width <= 0 && height > 0 && own.Height > 0)
        width = sal_Int32(std::lround(double(height) * own.Width / own.Height));
    if (height <= 0 && width > 0 && own.Width > 0)
        height = sal_Int32(std::lround(double(width) * own.Height / own.Width));
    if (width <= 0 || height <= 0) {
        width = own.Width > 0 ? own.Width : hundredthMm(1);
        height = own.Height > 0 ? own.Height : hundredthMm(1);
    }
    // A frame larger than the paper is made as large as the paper holds, in
    // its proportions: Word shrinks it so anyway.
    const double fit = std::min({1.0, double(hundredthMm(picture.page.width)) / width,
                                 double(hundredthMm(picture.page.height)) / height});
    width = sal_Int32(std::lround(width * fit));
    height = sal_Int32(std::lround(height * fit));
    set(object, "Size", uno::Any(awt::Size(width, height)));

    if (anchor == text::TextContentAnchorType_AS_CHARACTER)
        return; // it stands in the line
    const FramePlacement placement = FramePlacement::For(picture, width, height);
    const auto apply = [&](const FramePlacement::Axis& axis, const char* orient, const char* position,
                           const char* relation, sal_Int16 none) {
        if (axis.orient) {
            set(object, orient, uno::Any(*axis.orient));
            if (*axis.orient == none)
                set(object, position, uno::Any(axis.position));
        }
        if (axis.relation)
            set(object, relation, uno::Any(*axis.relation));
    };
    apply(placement.horizontal, "HoriOrient", "HoriOrientPosition", "HoriOrientRelation",
          text::HoriOrientation::NONE);
    apply(placement.vertical, "VertOrient", "VertOrientPosition", "VertOrientRelation", text::VertOrientation::NONE);
    // WordPerfect flows the text around a box unless told otherwise.
    set(object, "TextWrap", uno::Any(wrapMode(picture.wrap).value_or(text::WrapTextMode_PARALLEL)));
}

// The body's top-level elements (paragraphs and tables), fetched as far as
// they are needed.
class Body {
public:
    explicit Body(const uno::Reference<text::XText>& text)
        : mElements(uno::Reference<container::XEnumerationAccess>(text, uno::UNO_QUERY_THROW)->createEnumeration())
    {
    }

    uno::Reference<uno::XInterface> element(int index)
    {
        while (int(mFetched.size()) <= index && mElements->hasMoreElements())
            mFetched.push_back(uno::Reference<uno::XInterface>(mElements->nextElement(), uno::UNO_QUERY));
        return index < int(mFetched.size()) ? mFetched[size_t(index)] : uno::Reference<uno::XInterface>();
    }

private:
    uno::Reference<container::XEnumeration> mElements;
    std::vector<uno::Reference<uno::XInterface>> mFetched;
};

// The paragraph where the picture's anchor stands; none when the document
// has no such place.
uno::Reference<text::XTextRange> paragraphOf(Body& body, const EmbeddedPicture& picture)
{
    const uno::Reference<uno::XInterface> element = body.element(picture.element);
    const uno::Reference<text::XTextTable> table(element, uno::UNO_QUERY);
    if (picture.cell < 0)
        return table.is() ? uno::Reference<text::XTextRange>() : uno::Reference<text::XTextRange>(element, uno::UNO_QUERY);
    if (!table.is())
        return {};
    const uno::Sequence<rtl::OUString> cells = table->getCellNames();
    if (picture.cell >= cells.getLength())
        return {};
    const uno::Reference<text::XText> cell(table->getCellByName(cells[picture.cell]), uno::UNO_QUERY);
    if (!cell.is())
        return {};
    return uno::Reference<text::XTextRange>(Body(cell).element(picture.paragraphInCell), uno::UNO_QUERY);
}

} // namespace

PictureInserter::LeftOut PictureInserter::Insert(const uno::Reference<uno::XComponentContext>& context,
                            const uno::Reference<lang::XComponent>& document, const QList<EmbeddedPicture>& pictures)
{
    if (pictures.isEmpty())
        return {};
    const uno::Reference<graphic::XGraphicProvider> provider = graphic::GraphicProvider::create(context);
    const uno::Reference<lang::XMultiServiceFactory> factory(document, uno::UNO_QUERY_THROW);
    Body body(uno::Reference<text::XTextDocument>(document, uno::UNO_QUERY_THROW)->getText());
    QHash<QByteArray, uno::Reference<graphic::XGraphic>> graphics;
    // A picture in the line (as-char) is a character of its paragraph: the
    // pictures after it in the same paragraph stand one character further.
    std::map<std::tuple<int, int, int>, int> inLine;
    LeftOut leftOut;
    for (const EmbeddedPicture& picture : pictures) {
        try {
            const uno::Reference<text::XTextRange> paragraph = paragraphOf(body, picture);
            if (!paragraph.is()) {
                ++leftOut.unplaced;
                continue;
            }
            // The same picture in several boxes is read by the office once.
            uno::Reference<graphic::XGraphic> graphic = graphics.value(picture.data);
            if (!graphic.is()) {
                const uno::Sequence<sal_Int8> bytes(reinterpret_cast<const sal_Int8*>(picture.data.constData()),
                                                    sal_Int32(picture.data.size()));
                graphic = provider->queryGraphic(UnoRuntime::Properties({UnoRuntime::Property(
                    "InputStream", uno::Any(io::SequenceInputStream::createStreamFromSequence(context, bytes)))}));
                graphics.insert(picture.data, graphic);
            }
            if (!graphic.is() || isEmpty(graphic)) {
                ++leftOut.unread;
                continue;
            }
            const uno::Reference<beans::XPropertySet> object(
                factory->createInstance(rtl::OUString("com.sun.star.text.TextGraphicObject")), uno::UNO_QUERY_THROW);
            set(object, "Graphic", uno::Any(graphic));
            placeFrame(object, picture, graphic);
            // The anchor goes where the frame stands in its paragraph.
            const uno::Reference<text::XText> text = paragraph->getText();
            const uno::Reference<text::XTextCursor> cursor = text->createTextCursorByRange(paragraph->getStart());
            const std::tuple<int, int, int> place{picture.element, picture.cell, picture.paragraphInCell};
            const sal_Int32 length = paragraph->getString().getLength() + inLine[place];
            const sal_Int16 offset =
                sal_Int16(std::clamp(picture.offset + inLine[place], 0, std::min<sal_Int32>(length, 32767)));
            if (offset > 0)
                cursor->goRight(offset, false);
            text->insertTextContent(uno::Reference<text::XTextRange>(cursor.get()),
                                    uno::Reference<text::XTextContent>(object, uno::UNO_QUERY_THROW), false);
            if (anchorType(picture.anchorType) == text::TextContentAnchorType_AS_CHARACTER)
                ++inLine[place];
        } catch (const lang::DisposedException&) {
            throw; // the office is gone
        } catch (const uno::Exception&) {
            ++leftOut.unplaced;
        }
    }
    return leftOut;
}

} // namespace engine
