// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/SaveFormats.h"
#include "platform/automation/Value.h"

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

// The format codes of FileSave: Word 97 (what the program proposes), Word
// 2007-365, OpenDocument text and PDF/A-2b.
inline constexpr qint16 WordFormat = platform::SaveFormats::Word97;
inline constexpr qint16 Word2007Format = platform::SaveFormats::Word2007;
inline constexpr qint16 OpenDocumentFormat = platform::SaveFormats::OpenDocument;
inline constexpr qint16 PdfFormat = platform::SaveFormats::PdfA;

// The format a file named `path` is written in, by its extension (letter
// case ignored): .docx, .odt and .pdf their own, anything else Word 97.
qint16 FormatOfName(const QString& path);
// The extension (without the dot) of `format`'s files; "doc" for Word 97
// and any code not listed above.
QString ExtensionOf(qint16 format);
// The format named by `extension` ("doc", "docx", "odt", "pdf"), or 0.
qint16 FormatOfExtension(const QString& extension);

// Tells the server that a batch of about `count` documents may follow (the
// batch dialog found them), so that it may get ready for it. Only a server
// that has the optional member "ExpectDocuments" is told; for any other
// nothing happens, and a server that fails the call changes nothing either.
void ExpectDocuments(int count);

// Tells the server which documents a batch is about to convert, in order,
// and the format it saves them in, so that it may work ahead. Only a server
// that has the optional member "AnnounceDocuments" is told (the format as a
// leading number when it is not Word 97); for any other nothing happens,
// and a server that fails the call changes nothing either.
void AnnounceDocuments(const QStringList& paths, qint16 format = WordFormat);

// Tells the server that a run begins (its optional member "BeginRun"): it
// never replaces a Word file written after this. A server without the member
// is not told, and a failure changes nothing.
void BeginRun();

// Waits until the server's word processor has started (its optional member
// "WaitForStart"); raises why it could not. A server without the member is
// taken as started.
void WaitForStart();

// What the Word document the server wrote last leaves out or lacks, in the
// server's words ("2 pictures could not be read and were left out", "The
// Word file lacks 1 of 12 pictures"), asked through the optional member
// "envConversionNotes"; empty when there is nothing to say, for a server
// without it, or when the call fails.
QString ConversionNotes();

} // namespace Automation
