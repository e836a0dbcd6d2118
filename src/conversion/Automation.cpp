#include "conversion/Automation.h"

#include "core/General.h"
#include "platform/LateBinding.h"
#include "platform/RuntimeError.h"

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
// Calls an optional member that only hints at what is coming: a server
// without it is not told, and one that fails the call changes nothing.
void hint(const QString& member, const QList<Value>& args)
{
    if (!gAutomation || !gAutomation->hasMember(member))
        return;
    try {
        CallByName(gAutomation, member, args);
    } catch (const platform::RuntimeError&) {
        // Only a hint: the batch runs the same without it.
    }
}
} // namespace

void ExpectDocuments(int count)
{
    hint(QStringLiteral("ExpectDocuments"), {Value(count)});
}

void AnnounceDocuments(const QStringList& paths)
{
    QList<Value> args;
    args.reserve(paths.size());
    for (const QString& path : paths)
        args.append(Value(path));
    hint(QStringLiteral("AnnounceDocuments"), args);
}

QString ConversionNotes()
{
    const QString member = QStringLiteral("envConversionNotes");
    if (!gAutomation || !gAutomation->hasMember(member))
        return QString();
    try {
        return CallByName(gAutomation, member).toText();
    } catch (const platform::RuntimeError&) {
        return QString(); // the document converted; only the notes are unknown
    }
}

} // namespace Automation
