// SPDX-License-Identifier: MPL-2.0
#include "engine/document/SaveFormat.h"

#include <QStringList>

namespace engine {

const SaveFormat SaveFormat::kFormats[] = {
    {kWord97, "MS Word 97", "doc", "Word 97"},
    {kWord2007, "MS Word 2007 XML", "docx", "Word 2007-365"},
    {kOpenDocument, "writer8", "odt", "OpenDocument text"},
    {kPdfA, "writer_pdf_Export", "pdf", "PDF/A-2b"},
};

const SaveFormat* SaveFormat::ForCode(qint64 code)
{
    for (const SaveFormat& format : kFormats)
        if (format.mCode == code)
            return &format;
    return nullptr;
}

QString SaveFormat::KnownCodes()
{
    QStringList codes;
    for (const SaveFormat& format : kFormats)
        codes << QStringLiteral("%1 (%2)").arg(format.mCode).arg(format.name());
    return codes.join(QStringLiteral(", "));
}

} // namespace engine
