// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/SaveFormats.h"

#include <QString>

namespace engine {

// The formats FileSave(path, code) writes, each with the office's export
// filter that writes it. The codes are the automation server's: 69 (Word 97)
// is the one the program has always asked for.
class SaveFormat final {
public:
    static constexpr int kWord97 = platform::SaveFormats::Word97;
    static constexpr int kWord2007 = platform::SaveFormats::Word2007;         // Word 2007-365 (.docx)
    static constexpr int kOpenDocument = platform::SaveFormats::OpenDocument; // OpenDocument text (.odt)
    static constexpr int kPdfA = platform::SaveFormats::PdfA;                 // PDF/A-2b (.pdf)

    // The format of `code`, or null for a code the server does not write.
    static const SaveFormat* ForCode(qint64 code);
    // "69 (Word 97), 70 (...), ...": for the failure of an unknown code.
    static QString KnownCodes();

    int code() const { return mCode; }
    // The office's export filter.
    const char* filter() const { return mFilter; }
    // The file name extension, without the dot.
    QString extension() const { return QString::fromLatin1(mExtension); }
    QString name() const { return QString::fromLatin1(mName); }
    // PDF/A: the export is told the archival version (and needs a layout).
    bool isPdf() const { return mCode == kPdfA; }

private:
    constexpr SaveFormat(int code, const char* filter, const char* extension, const char* name)
        : mCode(code), mFilter(filter), mExtension(extension), mName(name)
    {
    }
    static const SaveFormat kFormats[];

    int mCode;
    const char* mFilter;
    const char* mExtension;
    const char* mName;
};

} // namespace engine
