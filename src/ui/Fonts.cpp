// SPDX-License-Identifier: MPL-2.0
#include "ui/Fonts.h"

#include <QStringList>

QFont Fonts::MsSansSerif(qreal points, bool bold)
{
    return Make(QStringLiteral("MS Sans Serif"), points, bold);
}

QFont Fonts::Arial(qreal points, bool bold)
{
    return Make(QStringLiteral("Arial"), points, bold);
}

QFont Fonts::Make(const QString& family, qreal points, bool bold)
{
    QFont font;
    font.setFamilies(QStringList{family, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
