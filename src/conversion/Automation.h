#pragma once

#include "platform/Value.h"

#include <QString>

// The word processor's automation server as the program uses it: every
// operation is called by name on gAutomation, which works on one open
// document at a time, the current document. Any operation may fail with a
// platform::RuntimeError.
namespace Automation {

void FileOpen(const QString& path);
platform::Value envDocBlank();
void PosDocVeryTop();
void MacroFilePlay(const QString& path);
platform::Value envMacroPlaying();
// Saves the current document to `path`, no format given.
void FileSave(const QString& path);
// Writes the current document to `path` in the format `format` (69: Word).
void FileSave(const QString& path, qint16 format);
void CloseNoSave();

// The format code of a Word document.
inline constexpr qint16 WordFormat = 69;

} // namespace Automation
