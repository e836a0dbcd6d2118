// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

class QWidget;

// Opens a web address in the desktop's default browser; the About box and
// the start chooser use it for their links. A missing browser and a browser
// that cannot be started are reported in a message box owned by `owner`.
class WebLink final {
public:
    static void Open(const QString& address, QWidget* owner);

    // The addresses behind the two windows' links.
    static QString MakerAddress();
    static QString ProductAddress();
    // The same addresses as the links show them.
    static QString MakerText();
    static QString ProductText();
};
