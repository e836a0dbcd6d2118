// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <optional>

namespace engine {

// What a Word 97 document holds, read from the file itself: its pictures
// and the letters and digits of its main text. The conversion compares them
// with what it meant to write (see OfficeDocument).
//
// Pictures are the picture shapes of its drawings (body and headers), which
// hold the pictures that float in the text, and the picture characters in
// its text, which stand for the pictures in the line. The text is the main
// document's, as its piece table gives it, without the codes of its fields
// (their results count).
struct WordFileContents {
    int pictures = 0;
    int letters = 0;          // letters and digits of the main text
    int referenceMarks = 0;   // note reference marks in it (numbers in the text)

    // The contents, or why the file could not be read.
    static WordFileContents Read(const QString& path, QString* whyNot);

    // Letters and digits of `text`, as Read counts them.
    static int Letters(const QString& text);
};

} // namespace engine
