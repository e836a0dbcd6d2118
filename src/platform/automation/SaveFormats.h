// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QtGlobal>

namespace platform {

// The format codes of the word processor's FileSave(path, code): what the
// program asks for and what the automation server writes. Word 97 is the
// one the program has always asked for.
namespace SaveFormats {
inline constexpr qint16 Word97 = 69;
inline constexpr qint16 Word2007 = 70;     // .docx
inline constexpr qint16 OpenDocument = 71; // .odt
inline constexpr qint16 PdfA = 72;         // PDF/A-2b
} // namespace SaveFormats

} // namespace platform
