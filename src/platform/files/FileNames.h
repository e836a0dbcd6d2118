// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// File names as the system keeps them (bytes) and as the program handles
// them (text). Names are UTF-8; a name that is not valid UTF-8 (a Latin-1
// "café.wpd", a Shift-JIS name) keeps each byte that is not part of a valid
// sequence as the lone surrogate U+DC80..U+DCFF, so that the text turns back
// into exactly the bytes it came from and still names the file. Use these
// wherever a name from the file system becomes text or text becomes a name.
QString DecodeFileName(const QByteArray& bytes);
QByteArray EncodeFileName(const QString& name);

// True when `name` stands for bytes that are not valid UTF-8: programs that
// take names as UTF-8 text (the office) cannot be given it as it is.
bool HasUndecodableBytes(const QString& name);

// `path` absolute (against the current folder) and without "." or "..", a
// folder without a trailing separator (but the root).
QString AbsolutePath(const QString& path);

// `fileName` (a name without folder) when it is valid UTF-8; otherwise
// `stem` with the name's extension where that is valid: a name to give a
// stand-in (a copy, a link) that UTF-8 programs can be handed.
QString TextFileName(const QString& fileName, const QString& stem);

// The whole content of the file `path` names (by its bytes); none when it
// cannot be read.
std::optional<QByteArray> ReadWholeFile(const QString& path);

} // namespace platform
