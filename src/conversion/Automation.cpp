// SPDX-License-Identifier: MPL-2.0
#include "conversion/Automation.h"

#include "core/General.h"
#include "platform/automation/LateBinding.h"
#include "platform/automation/RuntimeError.h"

using platform::CallByName;
using platform::Value;

namespace Automation {

void FileOpen(const QString& path)
{
    CallByName(gAutomation, QStringLiteral("FileOpen"), {Value(path)});
}

Value envDocBlank()
{
    return CallByName(gAutomation, QStringLiteral("envDocBlank"));
}

void PosDocVeryTop()
{
    CallByName(gAutomation, QStringLiteral("PosDocVeryTop"));
}

void MacroFilePlay(const QString& path)
{
    CallByName(gAutomation, QStringLiteral("MacroFilePlay"), {Value(path)});
}

Value envMacroPlaying()
{
    return CallByName(gAutomation, QStringLiteral("envMacroPlaying"));
}

void FileSave(const QString& path)
{
    CallByName(gAutomation, QStringLiteral("FileSave"), {Value(path)});
}

void FileSave(const QString& path, qint16 format)
{
    CallByName(gAutomation, QStringLiteral("FileSave"), {Value(path), Value(static_cast<int>(format))});
}

void CloseNoSave()
{
    CallByName(gAutomation, QStringLiteral("CloseNoSave"));
}

namespace {

const struct {
    qint16 format;
    const char* extension;
} kExtensions[] = {
    {WordFormat, "doc"},
    {Word2007Format, "docx"},
    {OpenDocumentFormat, "odt"},
    {PdfFormat, "pdf"},
};

bool offers(const QString& member)
{
    return gAutomation && gAutomation->hasMember(member);
}

// Calls an optional member that only hints at what is coming: a server
// without it is not told, and one that fails the call changes nothing.
void hint(const QString& member, const QList<Value>& args = {})
{
    if (!offers(member))
        return;
    try {
        CallByName(gAutomation, member, args);
    } catch (const platform::RuntimeError&) {
        // Only a hint: the batch runs the same without it.
    }
}

} // namespace

qint16 FormatOfExtension(const QString& extension)
{
    for (const auto& known : kExtensions)
        if (extension.compare(QLatin1String(known.extension), Qt::CaseInsensitive) == 0)
            return known.format;
    return 0;
}

qint16 FormatOfName(const QString& path)
{
    const QString name = path.section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qint16 format = dot > 0 ? FormatOfExtension(name.mid(dot + 1)) : 0;
    return format ? format : WordFormat;
}

QString ExtensionOf(qint16 format)
{
    for (const auto& known : kExtensions)
        if (known.format == format)
            return QLatin1String(known.extension);
    return QStringLiteral("doc");
}

void ExpectDocuments(int count)
{
    hint(QStringLiteral("ExpectDocuments"), {Value(count)});
}

void AnnounceDocuments(const QStringList& paths, qint16 format)
{
    QList<Value> args;
    args.reserve(paths.size() + 1);
    if (format != WordFormat)
        args.append(Value(static_cast<int>(format)));
    for (const QString& path : paths)
        args.append(Value(path));
    hint(QStringLiteral("AnnounceDocuments"), args);
}

void BeginRun()
{
    hint(QStringLiteral("BeginRun"));
}

void WaitForStart()
{
    const QString member = QStringLiteral("WaitForStart");
    if (offers(member))
        CallByName(gAutomation, member);
}

QString ConversionNotes()
{
    const QString member = QStringLiteral("envConversionNotes");
    if (!offers(member))
        return QString();
    try {
        return CallByName(gAutomation, member).toText();
    } catch (const platform::RuntimeError&) {
        return QString(); // the document converted; only the notes are unknown
    }
}

} // namespace Automation
