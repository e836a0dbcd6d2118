// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QString>

namespace engine {

// What the first bytes of a WordPerfect document tell before the office
// reads it.
class WordPerfectHeader final {
public:
    WordPerfectHeader() = delete;

    // True when the file is a WordPerfect document protected by a password:
    // a 5.x or 6+ document ("\xFFWPC" prefix) whose header carries a non-zero
    // encryption key at offset 12, or a 4.2 document with the encrypted
    // prefix FE FF 61 61. The office's import would ask for the password,
    // which nobody can type here.
    static bool IsPasswordProtected(const QString& path);
    static bool IsPasswordProtected(const QByteArray& firstBytes);

    // True when the file starts like a WordPerfect 5.x or 6+ text document:
    // the "\xFFWPC" prefix, product type 1 (WordPerfect) at offset 8 and
    // file type 10 (a document) at offset 9.
    static bool IsDocument(const QString& path);
    static bool IsDocument(const QByteArray& firstBytes);
};

} // namespace engine
