// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

class ClickableLabel;
class QLabel;
class QRect;
class QWidget;

// A label with its text as accessible name, placed at `geometry`.
QLabel* MakeLabel(const QString& text, const QRect& geometry, QWidget* parent, const char* name);

// The three lines the start chooser and the About box both show, at the
// same distances from each other: who made the program ("Label6"), whom to
// contact ("Label7") and a web link ("Label3"), which is returned. `top` is
// the first line's top in twips.
ClickableLabel* AddMakerCredits(QWidget* parent, int top, const QString& linkText, const QString& linkDescription);
