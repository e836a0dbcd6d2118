// SPDX-License-Identifier: MPL-2.0
#include "OfficeInspector.h"

#include "engine/office/UnoRuntime.h"

#include <QFileInfo>
#include <algorithm>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRangeCompare.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>

using namespace css;

namespace enginetest {

namespace {

using engine::UnoRuntime;

// Closes the document when it goes.
class Opened {
public:
    // Loads hidden and read-only, through `filter` when one is named.
    Opened(engine::OfficeSession& session, const QString& path, const char* filter = nullptr)
    {
        session.ensureRunning();
        const auto hidden = UnoRuntime::Property("Hidden", uno::Any(true));
        const auto readOnly = UnoRuntime::Property("ReadOnly", uno::Any(true));
        mComponent = session.loader()->loadComponentFromURL(
            UnoRuntime::FileUrl(QFileInfo(path).absoluteFilePath()), rtl::OUString("_blank"), 0,
            filter ? UnoRuntime::Properties({hidden, readOnly, UnoRuntime::Property("FilterName", uno::Any(
                                                                   rtl::OUString::createFromAscii(filter)))})
                   : UnoRuntime::Properties({hidden, readOnly}));
    }
    ~Opened()
    {
        const uno::Reference<util::XCloseable> closeable(mComponent, uno::UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
    }
    const uno::Reference<lang::XComponent>& component() const { return mComponent; }

private:
    uno::Reference<lang::XComponent> mComponent;
};

// The body's top-level elements (paragraphs and tables), in order.
std::vector<uno::Reference<text::XTextContent>> bodyElements(const uno::Reference<lang::XComponent>& component)
{
    const uno::Reference<text::XText> body =
        uno::Reference<text::XTextDocument>(component, uno::UNO_QUERY_THROW)->getText();
    const uno::Reference<container::XEnumeration> elements =
        uno::Reference<container::XEnumerationAccess>(body, uno::UNO_QUERY_THROW)->createEnumeration();
    std::vector<uno::Reference<text::XTextContent>> found;
    while (elements->hasMoreElements())
        found.emplace_back(elements->nextElement(), uno::UNO_QUERY);
    return found;
}

// The page the view lays `range` out on.
int pageOf(const uno::Reference<lang::XComponent>& component, const uno::Reference<text::XTextRange>& range)
{
    const uno::Reference<frame::XModel> model(component, uno::UNO_QUERY_THROW);
    const uno::Reference<text::XTextViewCursorSupplier> view(model->getCurrentController(), uno::UNO_QUERY_THROW);
    const uno::Reference<text::XTextViewCursor> cursor = view->getViewCursor();
    cursor->gotoRange(range, false);
    return uno::Reference<text::XPageCursor>(cursor, uno::UNO_QUERY_THROW)->getPage();
}

// Where an element starts: a paragraph's start, a table's first cell.
uno::Reference<text::XTextRange> startOf(const uno::Reference<text::XTextContent>& element)
{
    const uno::Reference<text::XTextTable> table(element, uno::UNO_QUERY);
    if (table.is()) {
        const uno::Sequence<rtl::OUString> cells = table->getCellNames();
        return uno::Reference<text::XText>(table->getCellByName(cells[0]), uno::UNO_QUERY_THROW)->getStart();
    }
    return element->getAnchor()->getStart();
}

} // namespace

OfficeInspector& OfficeInspector::Shared()
{
    static OfficeInspector inspector;
    return inspector;
}

QList<OfficeInspector::Graphic> OfficeInspector::graphics(const QString& path)
{
    const Opened document(mSession, path);
    const uno::Reference<text::XTextGraphicObjectsSupplier> supplier(document.component(), uno::UNO_QUERY_THROW);
    const uno::Reference<container::XIndexAccess> objects(supplier->getGraphicObjects(), uno::UNO_QUERY_THROW);
    const auto elements = bodyElements(document.component());
    const uno::Reference<text::XTextRangeCompare> order(
        uno::Reference<text::XTextDocument>(document.component(), uno::UNO_QUERY_THROW)->getText(), uno::UNO_QUERY_THROW);
    QList<Graphic> graphics;
    for (sal_Int32 i = 0; i < objects->getCount(); ++i) {
        const uno::Reference<beans::XPropertySet> object(objects->getByIndex(i), uno::UNO_QUERY_THROW);
        Graphic graphic;
        object->getPropertyValue(rtl::OUString("Width")) >>= graphic.width;
        object->getPropertyValue(rtl::OUString("Height")) >>= graphic.height;
        const uno::Reference<beans::XPropertySet> picture(object->getPropertyValue(rtl::OUString("Graphic")),
                                                          uno::UNO_QUERY);
        rtl::OUString mimeType;
        if (picture.is())
            picture->getPropertyValue(rtl::OUString("MimeType")) >>= mimeType;
        graphic.mimeType = engine::UnoRuntime::ToQString(mimeType);
        const uno::Reference<text::XTextRange> anchor =
            uno::Reference<text::XTextContent>(object, uno::UNO_QUERY_THROW)->getAnchor();
        const uno::Reference<text::XParagraphCursor> cursor(anchor->getText()->createTextCursorByRange(anchor),
                                                            uno::UNO_QUERY_THROW);
        cursor->collapseToStart();
        cursor->gotoStartOfParagraph(true);
        graphic.beforeAnchor = engine::UnoRuntime::ToQString(cursor->getString());
        graphic.page = pageOf(document.component(), anchor);
        // The last element that starts before the anchor (one in a table's
        // cell is the table's).
        for (std::size_t e = 0; e < elements.size(); ++e) {
            try {
                if (order->compareRegionStarts(elements[e]->getAnchor(), anchor) >= 0)
                    graphic.element = int(e);
                else
                    break;
            } catch (const lang::IllegalArgumentException&) {
                // the anchor is not in the body
            }
        }
        cursor->gotoStartOfParagraph(false);
        cursor->gotoEndOfParagraph(true);
        graphic.paragraph = engine::UnoRuntime::ToQString(cursor->getString());
        graphics.append(graphic);
    }
    return graphics;
}

QList<int> OfficeInspector::elementPages(const QString& path)
{
    const Opened document(mSession, path);
    QList<int> pages;
    for (const auto& element : bodyElements(document.component()))
        pages.append(pageOf(document.component(), startOf(element)));
    return pages;
}

void OfficeInspector::convertAlone(const QString& source, const QString& target)
{
    // As the office's own conversion loads a WordPerfect document: its
    // filter, through the desktop into a hidden view, laid out (so page
    // numbers carry their values), without the pictures the engine adds.
    const Opened document(mSession, source, "WordPerfect");
    uno::Reference<frame::XStorable>(document.component(), uno::UNO_QUERY_THROW)
        ->storeToURL(UnoRuntime::FileUrl(QFileInfo(target).absoluteFilePath()),
                     UnoRuntime::Properties({UnoRuntime::Property("FilterName", uno::Any(rtl::OUString("MS Word 97"))),
                                             UnoRuntime::Property("Overwrite", uno::Any(true))}));
}

} // namespace enginetest
