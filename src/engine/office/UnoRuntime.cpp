// SPDX-License-Identifier: MPL-2.0
#include "engine/office/UnoRuntime.h"

#include "engine/office/OfficeInstallation.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QDir>
#include <cppuhelper/bootstrap.hxx>
#include <mutex>
#include <rtl/uri.hxx>
#include <rtl/ustrbuf.hxx>

using namespace css;
using platform::RuntimeError;

namespace engine {

namespace {
const QString kSource = QStringLiteral("Office engine");
}

uno::Reference<uno::XComponentContext> UnoRuntime::LocalContext(const QString& bootstrapFolder)
{
    static std::mutex lock;
    static uno::Reference<uno::XComponentContext> context;
    std::lock_guard guard(lock);
    if (context.is())
        return context;

    // The office's own bootstrap files describe a whole office installation;
    // a client needs only the type libraries, the service registry and the
    // folder of the bridge libraries.
    const QString program = OfficeInstallation::ProgramFolder();
    const QString programUrl = UnoRuntime::ToQString(FileUrl(program));
    const QString ini = QDir(bootstrapFolder).filePath(QStringLiteral("uno.ini"));
    const QString text = QStringLiteral("[Bootstrap]\n"
                                        "URE_INTERNAL_LIB_DIR=%1\n"
                                        "UNO_TYPES=%1/types.rdb %1/types/offapi.rdb\n"
                                        "UNO_SERVICES=%1/services.rdb\n")
                             .arg(programUrl);
    try {
        platform::WritePrivateFile(ini, text.toUtf8());
    } catch (const RuntimeError& e) {
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot write the office bootstrap file: %1").arg(e.description()), kSource);
    }
    try {
        context = cppu::defaultBootstrap_InitialComponentContext(FileUrl(ini));
    } catch (const uno::Exception& e) {
        throw RuntimeError(RuntimeError::CannotCreateObject,
                           QStringLiteral("Cannot start the office's UNO runtime from %1: %2")
                               .arg(program, Describe(e)),
                           kSource);
    }
    if (!context.is())
        throw RuntimeError(RuntimeError::CannotCreateObject,
                           QStringLiteral("Cannot start the office's UNO runtime from %1").arg(program),
                           kSource);
    return context;
}

rtl::OUString UnoRuntime::ToOUString(const QString& text)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()), text.size());
}

QString UnoRuntime::ToQString(const rtl::OUString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

rtl::OUString UnoRuntime::FileUrl(const QString& absolutePath)
{
    rtl::OUStringBuffer url("file://");
    const QStringList segments = absolutePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (segments.isEmpty())
        url.append("/");
    for (const QString& segment : segments) {
        url.append("/");
        url.append(rtl::Uri::encode(ToOUString(segment), rtl_UriCharClassPchar,
                                    rtl_UriEncodeIgnoreEscapes, RTL_TEXTENCODING_UTF8));
    }
    return url.makeStringAndClear();
}

beans::PropertyValue UnoRuntime::Property(const char* name, const uno::Any& value)
{
    beans::PropertyValue property;
    property.Name = rtl::OUString::createFromAscii(name);
    property.Value = value;
    return property;
}

uno::Sequence<beans::PropertyValue> UnoRuntime::Properties(std::initializer_list<beans::PropertyValue> list)
{
    uno::Sequence<beans::PropertyValue> sequence(static_cast<sal_Int32>(list.size()));
    std::copy(list.begin(), list.end(), sequence.getArray());
    return sequence;
}

QString UnoRuntime::Describe(const uno::Exception& e)
{
    QString message = ToQString(e.Message).trimmed();
    // The office appends its source location to messages in some builds.
    const int at = message.indexOf(QStringLiteral(" at /"));
    if (at > 0)
        message.truncate(at);
    if (message.isEmpty())
        message = QStringLiteral("the office gave no reason");
    return message;
}

} // namespace engine
