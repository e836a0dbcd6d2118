// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <rtl/ref.hxx>
#include <rtl/ustring.hxx>
#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/XComponent.hpp>

namespace platform {
class RuntimeError;
}

namespace engine {

class AbortingInteractionHandler;
class OfficeSession;

// How the office imports one file, as the engine lets it.
//
// The filter: a file whose header says it is a WordPerfect document goes
// straight to the office's WordPerfect filter; any other file, and one that
// filter refuses (a WordPerfect header on something else, say), is named by
// the type detection (one call, which also reads the file's start). Nothing
// is loaded whose filter has not been checked first: only text documents,
// and none whose import follows the links it finds (HTML, RTF), nor binary
// data the detection can only call plain text.
//
// Every load carries the safety settings first, which nothing the detection
// returns replaces: read-only, macros never executed, links never updated,
// every question answered "abort".
class DocumentImport final {
public:
    // `shownAs`: the name failures give (else `file`).
    DocumentImport(OfficeSession& session, const QString& file, const QString& shownAs);
    ~DocumentImport();

    // Loads the file: `withView` through the desktop into a hidden view (as
    // the office's own command line does), else straight into a new model
    // without a frame or view (most of a load's cost is laying out a view).
    // Raises a RuntimeError naming the document when the office cannot or
    // may not load it.
    css::uno::Reference<css::lang::XComponent> load(bool withView);
    // Loads the file again with a view, with `filter`, the one its first
    // load checked and used.
    css::uno::Reference<css::lang::XComponent> loadAgain(const rtl::OUString& filter);
    // The filter the last load used.
    const rtl::OUString& filter() const { return mFilter; }

    // Closes a component quietly: the office may be gone or refuse.
    static void Close(const css::uno::Reference<css::lang::XComponent>& component) noexcept;

private:
    using Descriptor = std::vector<css::beans::PropertyValue>;
    // The descriptor of attempt 0 (the WordPerfect filter) or 1 (the type
    // detection's); raises the engine's refusals.
    Descriptor describe(int attempt);
    Descriptor safe() const; // the safety settings every load carries
    void detect(Descriptor& descriptor);
    // The loaded component, or null when the filter of attempt 0 refused the
    // file (the detection is asked next).
    css::uno::Reference<css::lang::XComponent> loadModel(const Descriptor& descriptor, bool lastAttempt);
    css::uno::Reference<css::lang::XComponent> loadWithView(Descriptor descriptor, bool lastAttempt);
    platform::RuntimeError refused(const QString& why) const;
    platform::RuntimeError unreadable() const;

    OfficeSession& mSession;
    QString mFile;
    QString mShown;
    rtl::Reference<AbortingInteractionHandler> mHandler;
    rtl::OUString mUrl;
    rtl::OUString mFilter;
};

} // namespace engine
