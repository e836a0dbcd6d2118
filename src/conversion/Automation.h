#pragma once

#include "platform/Value.h"

#include <QString>
#include <QStringList>

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

// Tells the server that a batch of about `count` documents may follow (the
// batch dialog found them), so that it may get ready for it. Only a server
// that has the optional member "ExpectDocuments" is told; for any other
// nothing happens, and a server that fails the call changes nothing either.
void ExpectDocuments(int count);

// Tells the server which documents a batch is about to convert, in order,
// so that it may work ahead. Only a server that has the optional member
// "AnnounceDocuments" is told; for any other nothing happens, and a server
// that fails the call changes nothing either.
void AnnounceDocuments(const QStringList& paths);

// What the Word document the server wrote last leaves out or lacks, in the
// server's words ("2 pictures could not be read and were left out", "The
// Word file lacks 1 of 12 pictures"), asked through the optional member
// "envConversionNotes"; empty when there is nothing to say, for a server
// without it, or when the call fails.
QString ConversionNotes();

// The format code of a Word document.
inline constexpr qint16 WordFormat = 69;

} // namespace Automation
