// SPDX-License-Identifier: MPL-2.0
#include "engine/document/DocumentImport.h"

#include "engine/office/AbortingInteractionHandler.h"
#include "engine/office/OfficeSession.h"
#include "engine/office/UnoRuntime.h"
#include "engine/pictures/WordPerfectHeader.h"
#include "platform/files/FileNames.h"
#include "platform/automation/RuntimeError.h"

#include <QByteArray>
#include <fcntl.h>
#include <unistd.h>

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>

using namespace css;
using platform::RuntimeError;

namespace engine {

namespace {

const QString kSource = QStringLiteral("Office engine");
const rtl::OUString kTextDocument("com.sun.star.text.TextDocument");

constexpr auto property = &UnoRuntime::Property;
constexpr auto properties = &UnoRuntime::Properties;

// Kinds of documents by their document service.
const struct {
    const char* service;
    const char* kind;
} kKinds[] = {
    {"com.sun.star.sheet.SpreadsheetDocument", "a spreadsheet"},
    {"com.sun.star.presentation.PresentationDocument", "a presentation"},
    {"com.sun.star.drawing.DrawingDocument", "a drawing or picture"},
    {"com.sun.star.formula.FormulaProperties", "a formula"},
    {"com.sun.star.sdb.OfficeDatabaseDocument", "a database"},
    {"com.sun.star.text.WebDocument", "a web page"},
    {"com.sun.star.text.GlobalDocument", "a master document"},
};

// What the office makes of a file that is not a text document, by the
// document service of its filter.
QString kindOf(const rtl::OUString& service)
{
    for (const auto& k : kKinds)
        if (service.equalsAscii(k.service))
            return QString::fromLatin1(k.kind);
    return QStringLiteral("another kind of document");
}

// Import filters that fetch what a document names whatever the office's
// settings: the HTML import reads linked style sheets and background
// pictures, the RTF import the files of INCLUDEPICTURE fields. Files they
// would read are refused before the office loads them.
QString linkFollowingKind(const rtl::OUString& filter)
{
    if (filter.indexOf("HTML") >= 0)
        return QStringLiteral("a web page (HTML)");
    if (filter.startsWith("Rich Text"))
        return QStringLiteral("rich text (RTF)");
    return QString();
}

// Whether a file the type detection names plain text is text: binary data
// holds NUL bytes, text only in UTF-16 or UTF-32, which start with their
// byte-order mark.
bool looksLikeText(const QString& file)
{
    const int fd = ::open(platform::EncodeFileName(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true; // the office's load tells
    QByteArray start(64 * 1024, '\0');
    const ssize_t got = ::read(fd, start.data(), static_cast<size_t>(start.size()));
    ::close(fd);
    start.truncate(got > 0 ? static_cast<int>(got) : 0);
    return !start.contains('\0') || start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF")
           || start.startsWith(QByteArray("\0\0\xFE\xFF", 4));
}

} // namespace

DocumentImport::DocumentImport(OfficeSession& session, const QString& file, const QString& shownAs)
    : mSession(session),
      mFile(file),
      mShown(shownAs.isEmpty() ? file : shownAs),
      mHandler(new AbortingInteractionHandler),
      mUrl(UnoRuntime::FileUrl(file))
{
}

DocumentImport::~DocumentImport() = default;

RuntimeError DocumentImport::refused(const QString& why) const
{
    const QString reason = mHandler->askedForPassword() ? QStringLiteral("it is password-protected") : why;
    return RuntimeError(RuntimeError::AutomationError, QStringLiteral("Cannot open %1: %2").arg(mShown, reason),
                        kSource);
}

RuntimeError DocumentImport::unreadable() const
{
    return refused(QStringLiteral("the office could not read it as a document"));
}

uno::Reference<lang::XComponent> DocumentImport::load(bool withView)
{
    for (int attempt = WordPerfectHeader::IsDocument(mFile) ? 0 : 1; attempt < 2; ++attempt) {
        const Descriptor descriptor = describe(attempt);
        const uno::Reference<lang::XComponent> component =
            withView ? loadWithView(descriptor, attempt == 1) : loadModel(descriptor, attempt == 1);
        if (component.is())
            return component;
    }
    throw unreadable(); // not reached: the last attempt raises
}

DocumentImport::Descriptor DocumentImport::safe() const
{
    return {
        property("ReadOnly", uno::Any(true)),
        // Untrusted documents: no macro runs, no link is followed.
        property("MacroExecutionMode", uno::Any(document::MacroExecMode::NEVER_EXECUTE)),
        property("UpdateDocMode", uno::Any(document::UpdateDocMode::NO_UPDATE)),
        property("InteractionHandler", uno::Any(uno::Reference<task::XInteractionHandler>(mHandler.get()))),
        property("URL", uno::Any(mUrl)),
    };
}

uno::Reference<lang::XComponent> DocumentImport::loadAgain(const rtl::OUString& filter)
{
    mFilter = filter;
    Descriptor descriptor = safe();
    descriptor.push_back(property("FilterName", uno::Any(filter)));
    return loadWithView(std::move(descriptor), true);
}

DocumentImport::Descriptor DocumentImport::describe(int attempt)
{
    Descriptor descriptor = safe();
    if (attempt == 0) {
        mFilter = rtl::OUString("WordPerfect");
        descriptor.push_back(property("TypeName", uno::Any(rtl::OUString("writer_WordPerfect_Document"))));
        descriptor.push_back(property("FilterName", uno::Any(mFilter)));
    } else {
        detect(descriptor);
    }
    const rtl::OUString service = mSession.documentServiceOf(mFilter);
    QString kind = linkFollowingKind(mFilter);
    if (kind.isEmpty() && service != kTextDocument)
        kind = kindOf(service);
    if (!kind.isEmpty())
        throw refused(QStringLiteral("the office reads it as %1, not as a text document it converts").arg(kind));
    return descriptor;
}

void DocumentImport::detect(Descriptor& descriptor)
{
    uno::Sequence<beans::PropertyValue> detected = properties({
        property("URL", uno::Any(mUrl)),
        property("ReadOnly", uno::Any(true)), // the stream it opens
        property("InteractionHandler", uno::Any(uno::Reference<task::XInteractionHandler>(mHandler.get()))),
    });
    rtl::OUString type;
    try {
        type = mSession.typeDetection()->queryTypeByDescriptor(detected, true);
    } catch (const lang::IllegalArgumentException&) {
        throw unreadable();
    } catch (const io::IOException&) {
        throw unreadable();
    }
    // The detection hands back what it found (the type, the filter) and the
    // stream it opened, which the load reads on.
    mFilter = rtl::OUString();
    for (const beans::PropertyValue& p : std::as_const(detected)) {
        if (p.Name == "FilterName") {
            p.Value >>= mFilter;
            descriptor.push_back(p);
        } else if (p.Name == "TypeName" || p.Name == "InputStream") {
            descriptor.push_back(p);
        }
    }
    // The plain-text import takes any file the detection knows no better
    // name for; binary data read as text gives the office text it cannot
    // even hand over.
    if (type.isEmpty() || mFilter.isEmpty() || (type == "generic_Text" && !looksLikeText(mFile)))
        throw unreadable();
}

uno::Reference<lang::XComponent> DocumentImport::loadModel(const Descriptor& descriptor, bool lastAttempt)
{
    const uno::Reference<lang::XComponent> model = mSession.createModel(kTextDocument);
    try {
        uno::Reference<frame::XLoadable>(model, uno::UNO_QUERY_THROW)
            ->load(uno::Sequence<beans::PropertyValue>(descriptor.data(), static_cast<sal_Int32>(descriptor.size())));
        return model;
    } catch (const lang::IllegalArgumentException&) {
        Close(model);
    } catch (const io::IOException&) {
        Close(model);
    } catch (const uno::Exception&) {
        Close(model);
        throw;
    }
    if (lastAttempt)
        throw unreadable();
    return {};
}

uno::Reference<lang::XComponent> DocumentImport::loadWithView(Descriptor descriptor, bool lastAttempt)
{
    descriptor.push_back(property("Hidden", uno::Any(true)));
    descriptor.push_back(property("Silent", uno::Any(true)));
    uno::Reference<lang::XComponent> component;
    try {
        component = mSession.loader()->loadComponentFromURL(
            mUrl, rtl::OUString("_blank"), 0,
            uno::Sequence<beans::PropertyValue>(descriptor.data(), static_cast<sal_Int32>(descriptor.size())));
    } catch (const lang::IllegalArgumentException&) {
    } catch (const io::IOException&) {
    }
    const uno::Reference<lang::XServiceInfo> info(component, uno::UNO_QUERY);
    if (info.is() && info->supportsService(kTextDocument))
        return component;
    Close(component);
    if (lastAttempt || component.is())
        throw unreadable();
    return {};
}

void DocumentImport::Close(const uno::Reference<lang::XComponent>& component) noexcept
{
    if (!component.is())
        return;
    try {
        const uno::Reference<util::XCloseable> closeable(component, uno::UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            component->dispose();
    } catch (const util::CloseVetoException&) {
        try {
            component->dispose();
        } catch (...) {
        }
    } catch (...) {
        // The office is gone or refuses: nothing is left to close.
    }
}

} // namespace engine
