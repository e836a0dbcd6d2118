// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <initializer_list>
#include <rtl/ustring.hxx>

namespace engine {

// The program's own UNO runtime: the component context through which it
// reaches the office over a pipe. Nothing here starts an office.
class UnoRuntime final {
public:
    UnoRuntime() = delete;

    // The local component context, bootstrapped once per process from the
    // office's type and service libraries. `bootstrapFolder` receives the small
    // bootstrap file on the first call. Raises a RuntimeError on failure.
    static css::uno::Reference<css::uno::XComponentContext> LocalContext(const QString& bootstrapFolder);

    static rtl::OUString ToOUString(const QString& text);
    static QString ToQString(const rtl::OUString& text);

    // A file URL for an absolute path, every segment percent-encoded as UTF-8
    // (spaces, "#", "%" and non-ASCII names survive the trip).
    static rtl::OUString FileUrl(const QString& absolutePath);

    // The text of a UNO exception, without the source location some builds add.
    static QString Describe(const css::uno::Exception& e);

    // One named value of a media descriptor or an argument list, and a list
    // of them as the calls take it.
    static css::beans::PropertyValue Property(const char* name, const css::uno::Any& value);
    static css::uno::Sequence<css::beans::PropertyValue> Properties(
        std::initializer_list<css::beans::PropertyValue> list);
};

} // namespace engine
