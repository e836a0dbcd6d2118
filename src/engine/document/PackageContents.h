// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/document/WordFileContents.h"

#include <QString>

namespace engine {

// What a Word 2007-365 (.docx) or OpenDocument text (.odt) file holds, read
// from the file itself, as WordFileContents reads a Word 97 file: its
// pictures and the letters and digits of its text, for the same comparison
// with what the conversion meant to write.
//
// Both are zip packages of XML parts. Pictures are the picture elements of
// the body and the headers and footers (.docx: `pic:pic`, leaving out the
// fall-backs of alternative content; .odt: frames that hold an image, each
// counted once however many renderings it carries). The text is the main
// text, as a Word 97 file keeps it: .docx the runs' text of
// word/document.xml, .odt what office:text holds in content.xml, both
// without the text of drawings and frames (text boxes) and notes (whose
// reference marks are counted).
class PackageContents final {
public:
    enum class Kind { Word2007, OpenDocument };

    // The contents, or why the file could not be read.
    static WordFileContents Read(const QString& path, Kind kind, QString* whyNot);
};

} // namespace engine
