// SPDX-License-Identifier: MPL-2.0
#include "ui/MakerCredits.h"

#include "ui/ClickableLabel.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"

#include <QLabel>

QLabel* MakeLabel(const QString& text, const QRect& geometry, QWidget* parent, const char* name)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAccessibleName(text);
    return label;
}

ClickableLabel* AddMakerCredits(QWidget* parent, int top, const QString& linkText, const QString& linkDescription)
{
    QLabel* createdBy =
        MakeLabel(QStringLiteral("Created by: Marrowfield"), TwipsRect(720, top, 3255, 375), parent, "Label6");
    createdBy->setFont(Fonts::MsSansSerif(12, true));
    // The controls' default font: a window's own larger bold font would not
    // fit the label.
    MakeLabel(QStringLiteral("For more details please contact Marrowfield"), TwipsRect(720, top + 480, 3375, 255),
              parent, "Label7")
        ->setFont(Fonts::MsSansSerif(8.25));

    auto* link = new ClickableLabel(linkText, parent);
    link->setObjectName(QStringLiteral("Label3"));
    link->setGeometry(TwipsRect(1320, top + 840, 2535, 255));
    link->setFont(Fonts::MsSansSerif(8.25));
    link->setLinkStyle();
    link->setAccessibleDescription(linkDescription);
    return link;
}
