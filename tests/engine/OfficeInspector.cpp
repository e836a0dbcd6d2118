#include "OfficeInspector.h"

#include "engine/UnoRuntime.h"

#include <QFileInfo>
#include <algorithm>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
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
    Opened(engine::OfficeSession& session, const QString& path)
    {
        session.ensureRunning();
        mComponent = session.loader()->loadComponentFromURL(
            UnoRuntime::FileUrl(QFileInfo(path).absoluteFilePath()), rtl::OUString("_blank"), 0,
            UnoRuntime::Properties({UnoRuntime::Property("Hidden", uno::Any(true)),
                                    UnoRuntime::Property("ReadOnly", uno::Any(true))}));
    }
    explicit Opened(uno::Reference<lang::XComponent> component) : mComponent(std::move(component)) {}
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

QString paragraphText(const uno::Reference<text::XParagraphCursor>& cursor)
{
    cursor->gotoStartOfParagraph(false);
    cursor->gotoEndOfParagraph(true);
    return engine::UnoRuntime::ToQString(cursor->getString());
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
        graphic.paragraph = paragraphText(cursor);
        if (cursor->gotoNextParagraph(false))
            graphic.nextParagraph = paragraphText(cursor);
        graphics.append(graphic);
    }
    return graphics;
}

void OfficeInspector::convertAlone(const QString& source, const QString& target)
{
    // As the office's own conversion loads a WordPerfect document: its
    // filter, through the desktop into a hidden view, laid out (so page
    // numbers carry their values), without the pictures the engine adds.
    mSession.ensureRunning();
    const uno::Reference<lang::XComponent> model = mSession.loader()->loadComponentFromURL(
        UnoRuntime::FileUrl(QFileInfo(source).absoluteFilePath()), rtl::OUString("_blank"), 0,
        UnoRuntime::Properties({UnoRuntime::Property("Hidden", uno::Any(true)),
                                UnoRuntime::Property("FilterName", uno::Any(rtl::OUString("WordPerfect"))),
                                UnoRuntime::Property("ReadOnly", uno::Any(true))}));
    const Opened document(model);
    uno::Reference<frame::XStorable>(document.component(), uno::UNO_QUERY_THROW)
        ->storeToURL(UnoRuntime::FileUrl(QFileInfo(target).absoluteFilePath()),
                     UnoRuntime::Properties({UnoRuntime::Property("FilterName", uno::Any(rtl::OUString("MS Word 97"))),
                                             UnoRuntime::Property("Overwrite", uno::Any(true))}));
}

} // namespace enginetest
