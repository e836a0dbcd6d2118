#include "conversion/Automation.h"

#include "core/General.h"
#include "platform/LateBinding.h"

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

} // namespace Automation
