// SPDX-License-Identifier: MPL-2.0
#include "engine/document/OfficeDocument.h"

#include "engine/document/DocumentImport.h"
#include "engine/document/PackageContents.h"

#include "engine/document/PlainTextCopy.h"
#include "engine/document/SaveFormat.h"
#include "engine/document/WordFile.h"
#include "engine/document/WordFileContents.h"
#include "engine/office/OfficeInstallation.h"
#include "engine/office/OfficeSession.h"
#include "engine/office/UnoRuntime.h"
#include "engine/pictures/EmbeddedPictures.h"
#include "platform/files/FileNames.h"
#include "platform/files/RunFolder.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QDir>
#include <QLocale>
#include <QStringList>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>
#include <rtl/ref.hxx>
#include <sys/stat.h>
#include <unistd.h>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XReplaceDescriptor.hpp>
#include <com/sun/star/util/XReplaceable.hpp>

using namespace css;
using platform::RuntimeError;

namespace engine {

namespace {

const QString kSource = QStringLiteral("Office engine");

constexpr auto property = &UnoRuntime::Property;
constexpr auto properties = &UnoRuntime::Properties;

QByteArray native(const QString& path)
{
    return platform::EncodeFileName(path);
}

} // namespace

OfficeDocument::OfficeDocument(uno::Reference<lang::XComponent> component, QString file, QString shown)
    : mComponent(std::make_unique<uno::Reference<lang::XComponent>>(std::move(component))),
      mFile(std::move(file)),
      mShown(std::move(shown))
{
}

OfficeDocument::~OfficeDocument()
{
    abandon();
}

void OfficeDocument::abandon() noexcept
{
    (void)mComponent.release(); // left behind untouched
}

std::unique_ptr<OfficeDocument> OfficeDocument::Load(OfficeSession& session, const QString& file,
                                                     const QString& shownAs, Way way)
{
    // The office's import drops the pictures of WordPerfect documents: they
    // are read on the side while the office loads, and put back before
    // anything else sees the document (and once more should it be loaded
    // again, see play). A plain load only counts them. Either way the
    // office reads a copy without the pictures over their budget, if any.
    auto pictures = std::make_shared<EmbeddedPictures>(file);
    const QString officeFile = pictures->fileForTheOffice(session.folder() + QStringLiteral("/pictures"));
    // A plain load has a view, unless the office would abort building the
    // window of a comment (see OfficeInstallation::HasWriterWindows).
    const bool plain = way == Way::Plain;
    std::unique_ptr<OfficeDocument> document = LoadText(session, officeFile, shownAs.isEmpty() ? file : shownAs,
                                                        plain && OfficeInstallation::HasWriterWindows());
    try {
        const EmbeddedPictures::LeftOut leftOut =
            plain ? pictures->leaveOut() : pictures->insertInto(session, *document->mComponent);
        document->mPictures = pictures; // and the office's copy with them
        document->mPicturesPutBack = !plain;
        document->mPicturesUnread = leftOut.unread;
        document->mPicturesUnplaced = leftOut.unplaced;
        document->mPicturesTooLarge = leftOut.tooLarge;
        // Pictures first: they take room on the pages the layout counts.
        const Fields fields = document->fields();
        if (fields.needLayout && (document->mHasView || !fields.comments || OfficeInstallation::HasWriterWindows())) {
            if (!document->mHasView)
                document->layOut(session);
            document->layOutPageFields();
        }
        document->mPicturesExpected = document->pictureCount();
    } catch (...) {
        document->close();
        throw;
    }
    return document;
}

std::unique_ptr<OfficeDocument> OfficeDocument::LoadText(OfficeSession& session, const QString& file,
                                                         const QString& shownAs, bool withView)
{
    DocumentImport import(session, file, shownAs);
    const uno::Reference<lang::XComponent> component = import.load(withView);
    std::unique_ptr<OfficeDocument> document(
        new OfficeDocument(component, file, shownAs.isEmpty() ? file : shownAs));
    document->mHasView = withView;
    document->mFilter = import.filter();
    return document;
}

std::unique_ptr<OfficeDocument> OfficeDocument::LoadWithView(OfficeSession& session, const QString& file,
                                                             const QString& path, const rtl::OUString& filter)
{
    // Through the desktop, hidden, with the filter the first load checked
    // and used, and the same safety settings.
    DocumentImport import(session, file, path);
    std::unique_ptr<OfficeDocument> document(new OfficeDocument(import.loadAgain(filter), file, path));
    document->mHasView = true;
    document->mFilter = filter;
    return document;
}

const rtl::OUString& OfficeDocument::text()
{
    if (!mText) {
        const uno::Reference<text::XTextDocument> document(*mComponent, uno::UNO_QUERY_THROW);
        mText = document->getText()->getString();
    }
    return *mText;
}

bool OfficeDocument::isBlank()
{
    if (!text().isEmpty())
        return false;
    const uno::Reference<text::XTextTablesSupplier> tables(*mComponent, uno::UNO_QUERY);
    if (tables.is() && tables->getTextTables()->hasElements())
        return false;
    // Pictures, frames and drawings sit on the document's one drawing page.
    // Its supplier is marked deprecated, but a text document offers no other
    // single view of them.
    const uno::Reference<drawing::XDrawPageSupplier> drawing(*mComponent, uno::UNO_QUERY);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (drawing.is() && drawing->getDrawPage()->hasElements())
        return false;
#pragma GCC diagnostic pop
    return true;
}

void OfficeDocument::moveToTop()
{
    // A document loaded without a view has no insertion point; the macro
    // works on the whole document anyway.
    if (!mHasView)
        return;
    const uno::Reference<frame::XModel> model(*mComponent, uno::UNO_QUERY_THROW);
    const uno::Reference<text::XTextViewCursorSupplier> view(model->getCurrentController(), uno::UNO_QUERY);
    if (view.is())
        view->getViewCursor()->gotoStart(false);
}

void OfficeDocument::play(OfficeSession& session, const MacroFile& macro)
{
    if (macro.commands().isEmpty())
        return;
    if (!mHasView) {
        // The office's search finds nothing in a text document without a
        // view (it has no layout), so a macro that has something to replace
        // gets the document loaded again, with one. Nothing has changed it
        // since it was loaded.
        std::unique_ptr<OfficeDocument> viewed = LoadWithView(session, mFile, mShown, mFilter);
        if (mPicturesPutBack) {
            const EmbeddedPictures::LeftOut leftOut = mPictures->insertInto(session, *viewed->mComponent);
            mPicturesUnread = leftOut.unread; // read once, put back again
            mPicturesUnplaced = leftOut.unplaced;
            mPicturesTooLarge = leftOut.tooLarge;
        }
        close();
        mComponent = std::move(viewed->mComponent);
        mHasView = true;
    }
    const uno::Reference<util::XReplaceable> replaceable(*mComponent, uno::UNO_QUERY_THROW);
    // One descriptor for all commands: each property crosses the bridge only
    // when it changes.
    const uno::Reference<util::XReplaceDescriptor> descriptor = replaceable->createReplaceDescriptor();
    const uno::Reference<beans::XPropertySet> options(descriptor, uno::UNO_QUERY_THROW);
    options->setPropertyValue(rtl::OUString("SearchCaseSensitive"), uno::Any(true));
    const uno::Reference<util::XSearchDescriptor> search(descriptor.get());
    bool regex = false;
    for (const MacroFile::Command& command : macro.commands()) {
        if (command.regex != regex) {
            regex = command.regex;
            options->setPropertyValue(rtl::OUString("SearchRegularExpression"), uno::Any(regex));
        }
        descriptor->setSearchString(UnoRuntime::ToOUString(command.find));
        descriptor->setReplaceString(UnoRuntime::ToOUString(command.replacement));
        replaceable->replaceAll(search);
    }
    mText.reset(); // changed
}

QByteArray OfficeDocument::textCopy()
{
    // The text comes in one call (or from envDocBlank already), and the
    // office's store machinery (a temporary file, a lock file, a copy,
    // fsync) is spared for a file nobody reads.
    return PlainTextCopy::Bytes(UnoRuntime::ToQString(text()));
}

void OfficeDocument::storeCopy(const QString& path)
{
    PlainTextCopy::Write(path, textCopy());
}

namespace {
std::function<void(const uno::Reference<lang::XComponent>&)>& beforeWordSave()
{
    static std::function<void(const uno::Reference<lang::XComponent>&)> hook;
    return hook;
}
} // namespace

void OfficeDocument::SetBeforeWordSave(std::function<void(const uno::Reference<lang::XComponent>&)> hook)
{
    beforeWordSave() = std::move(hook);
}

bool OfficeDocument::storeWordPrivately(OfficeSession& session, const QString& path, const SaveFormat& format)
{
    if (beforeWordSave())
        beforeWordSave()(*mComponent);
    const uno::Reference<frame::XStorable> storable(*mComponent, uno::UNO_QUERY_THROW);
    std::vector<beans::PropertyValue> arguments{
        property("FilterName", uno::Any(rtl::OUString::createFromAscii(format.filter()))),
        property("Overwrite", uno::Any(true)),
    };
    if (format.isPdf()) {
        // PDF/A-2b: the archival form, fonts embedded. Pages need a layout,
        // which a document loaded without a view does not have yet.
        if (!mHasView)
            layOut(session);
        arguments.push_back(property("FilterData", uno::Any(properties({
                                                       property("SelectPdfVersion", uno::Any(sal_Int32(2))),
                                                   }))));
    }
    storable->storeToURL(UnoRuntime::FileUrl(path),
                         uno::Sequence<beans::PropertyValue>(arguments.data(), static_cast<sal_Int32>(arguments.size())));
    struct stat info {};
    if (::lstat(native(path).constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return false;
    check(path, format);
    return true;
}

void OfficeDocument::check(const QString& path, const SaveFormat& format)
{
    // What the document holds: its pictures as loaded (a clean-up macro
    // that takes one away makes the Word file lack it), its text as it is
    // now. Note reference marks stand for the numbers the text has in their
    // place, which may run to three digits each.
    mCheck.clear();
    if (format.isPdf())
        return;
    const int letters = WordFileContents::Letters(UnoRuntime::ToQString(text()));
    QString whyNot;
    const WordFileContents contents =
        format.code() == SaveFormat::kWord97 ? WordFileContents::Read(path, &whyNot)
        : PackageContents::Read(path,
                                format.code() == SaveFormat::kWord2007 ? PackageContents::Kind::Word2007
                                                                        : PackageContents::Kind::OpenDocument,
                                &whyNot);
    const QString file = format.code() == SaveFormat::kOpenDocument ? QStringLiteral("OpenDocument file")
                                                                    : QStringLiteral("Word file");
    const QLocale locale;
    QStringList found;
    if (!whyNot.isEmpty()) {
        found << QStringLiteral("The %1 could not be checked: %2").arg(file, whyNot);
    } else {
        if (contents.pictures < mPicturesExpected)
            found << QStringLiteral("The %1 lacks %2 of %3 %4")
                         .arg(file, locale.toString(mPicturesExpected - contents.pictures),
                              locale.toString(mPicturesExpected),
                              mPicturesExpected == 1 ? QStringLiteral("picture") : QStringLiteral("pictures"));
        const int allowance = 2 + 3 * contents.referenceMarks;
        if (letters - contents.letters > allowance)
            found << QStringLiteral("The %1 has %2 of %3 characters")
                         .arg(file, locale.toString(contents.letters), locale.toString(letters));
    }
    mCheck = found.join(QStringLiteral(". "));
}

QString OfficeDocument::notes() const
{
    QStringList notes;
    const auto count = [](int n, const char* one, const char* many) {
        return n == 1 ? QStringLiteral("1 picture %1 and was left out").arg(QLatin1String(one))
                      : QStringLiteral("%1 pictures %2 and were left out").arg(n).arg(QLatin1String(many));
    };
    if (mPicturesUnread > 0)
        notes << count(mPicturesUnread, "could not be read", "could not be read");
    if (mPicturesTooLarge > 0)
        notes << count(mPicturesTooLarge, "was too large to convert", "were too large to convert");
    if (mPicturesUnplaced > 0)
        notes << count(mPicturesUnplaced, "could not be placed", "could not be placed");
    if (!mCheck.isEmpty())
        notes << mCheck;
    return notes.join(QStringLiteral(". "));
}

int OfficeDocument::pictureCount()
{
    const uno::Reference<text::XTextGraphicObjectsSupplier> supplier(*mComponent, uno::UNO_QUERY);
    if (!supplier.is())
        return 0;
    const uno::Reference<container::XIndexAccess> graphics(supplier->getGraphicObjects(), uno::UNO_QUERY);
    return graphics.is() ? graphics->getCount() : supplier->getGraphicObjects()->getElementNames().getLength();
}

void OfficeDocument::storeWord(OfficeSession& session, const QString& path, platform::RunFolder& journal,
                               const QString& privateFolder, const SaveFormat& format, mode_t permissions)
{
    WordFile::CheckTarget(path);
    // The office writes into the engine's private folder only: its store
    // makes a lock file and a save file of its own next to what it writes,
    // which an office killed in the middle would leave in the user's folder.
    const QString stored = privateFolder + QStringLiteral("/document.") + format.extension();
    const auto clearPrivateFolder = [&] {
        for (const QString& entry : QDir(privateFolder).entryList(QDir::Files | QDir::Hidden | QDir::System))
            ::unlink(native(privateFolder + QLatin1Char('/') + entry).constData());
    };
    bool written = false;
    try {
        written = storeWordPrivately(session, stored, format);
    } catch (...) {
        clearPrivateFolder();
        throw;
    }
    if (!written) {
        clearPrivateFolder();
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot save %1: the office wrote nothing").arg(path), kSource);
    }
    try {
        WordFile::Publish(stored, path, journal, permissions);
    } catch (...) {
        ::unlink(native(stored).constData());
        throw;
    }
    ::unlink(native(stored).constData());
}

OfficeDocument::Fields OfficeDocument::fields()
{
    // Without a layout, page numbers and page counts have no value: the Word
    // document would carry 0 where the office shows the real number. The
    // question costs three calls for a document without fields.
    static const char* const kLayoutFields[] = {
        "com.sun.star.text.textfield.PageNumber",
        "com.sun.star.text.textfield.PageCount",
        "com.sun.star.text.textfield.ReferencePageGet",
        "com.sun.star.text.textfield.GetReference",
    };
    Fields found;
    const uno::Reference<text::XTextFieldsSupplier> supplier(*mComponent, uno::UNO_QUERY);
    if (!supplier.is())
        return found;
    const uno::Reference<container::XEnumeration> fields = supplier->getTextFields()->createEnumeration();
    while (fields->hasMoreElements() && !(found.needLayout && found.comments)) {
        const uno::Reference<lang::XServiceInfo> field(fields->nextElement(), uno::UNO_QUERY);
        if (!field.is())
            continue;
        const uno::Sequence<rtl::OUString> services = field->getSupportedServiceNames();
        for (const rtl::OUString& service : services) {
            for (const char* wanted : kLayoutFields)
                found.needLayout = found.needLayout || service.equalsAscii(wanted);
            found.comments = found.comments || service.equalsAscii("com.sun.star.text.textfield.Annotation");
        }
    }
    return found;
}

void OfficeDocument::layOut(OfficeSession& session)
{
    // The desktop puts the loaded model into a hidden frame of its own,
    // which lays it out: far cheaper than loading the document again.
    const uno::Sequence<beans::PropertyValue> arguments = properties({
        property("Model", uno::Any(*mComponent)),
        property("Hidden", uno::Any(true)),
    });
    session.loader()->loadComponentFromURL(rtl::OUString("private:object"), rtl::OUString("_blank"), 0, arguments);
    mHasView = true;
}

void OfficeDocument::layOutPageFields()
{
    // The frame lays out the pages it shows first and the others a little
    // later, and a page field further on has its value only then: read or
    // saved at once, it would say 0. Going to the last page lays out the
    // whole document now. (A PDF export lays out every page itself.)
    const uno::Reference<frame::XModel> model(*mComponent, uno::UNO_QUERY_THROW);
    const uno::Reference<text::XTextViewCursorSupplier> view(model->getCurrentController(), uno::UNO_QUERY);
    const uno::Reference<text::XPageCursor> pages(view.is() ? view->getViewCursor() : nullptr, uno::UNO_QUERY);
    if (pages.is()) {
        pages->jumpToLastPage();
        pages->jumpToFirstPage();
    }
}

void OfficeDocument::close() noexcept
{
    if (!mComponent)
        return;
    const uno::Reference<lang::XComponent> component = *mComponent;
    mComponent.reset();
    DocumentImport::Close(component);
}

} // namespace engine
