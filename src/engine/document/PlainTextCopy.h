// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QString>

namespace engine {

// The temporary copy FileSave(path) writes: the document's text as the
// office's plain-text export makes it, byte for byte what storing with the
// office's "Text" filter writes (UTF-8 with a byte-order mark, a line end
// after the last paragraph), written by the engine itself.
class PlainTextCopy final {
public:
    PlainTextCopy() = delete;

    // The copy's bytes for a document whose text is `text`.
    static QByteArray Bytes(const QString& text);
    // Writes `bytes` to `path`, replacing what is there. A FIFO or anything
    // else that is not a regular file fails at once; a failed write leaves
    // no half copy. Raises a RuntimeError naming the file.
    static void Write(const QString& path, const QByteArray& bytes);
};

} // namespace engine
