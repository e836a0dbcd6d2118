#pragma once

#include "engine/EmbeddedPicture.h"

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

    // Returns how many pictures could not be inserted (the office could not
    // read the data, or the place is not in the document). Raises the UNO
    // exception of an office that has gone away.
    static int Insert(const css::uno::Reference<css::uno::XComponentContext>& context,
                      const css::uno::Reference<css::lang::XComponent>& document,
                      const QList<EmbeddedPicture>& pictures);
};

} // namespace engine
