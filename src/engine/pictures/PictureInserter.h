// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/pictures/reader/EmbeddedPicture.h"

#include <QList>

#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

namespace engine {

// Puts pictures into a text document loaded in the office, through its UNO
// API: each becomes a graphic object of its frame's size (1/100 mm), with
// its anchor type, position and text wrap, anchored at its place in the
// body text (see EmbeddedPicture). The pictures' data must be something the
// office reads (see PictureConverter).
class PictureInserter final {
public:
    PictureInserter() = delete;

    struct LeftOut {
        int unread = 0;   // the office could not read the picture
        int unplaced = 0; // its place is not in the document, or inserting it failed
    };
    // Returns what could not be inserted. Raises the UNO exception of an
    // office that has gone away.
    static LeftOut Insert(const css::uno::Reference<css::uno::XComponentContext>& context,
                      const css::uno::Reference<css::lang::XComponent>& document,
                      const QList<EmbeddedPicture>& pictures);
};

} // namespace engine
