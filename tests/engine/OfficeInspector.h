#pragma once

#include "engine/OfficeSession.h"

#include <QList>
#include <QString>

namespace enginetest {

// A private office of the tests' own, to look into documents the engine
// wrote (an independent reader for what catdoc does not show: pictures) and
// to convert documents as the office's own import does, without the engine.
class OfficeInspector final {
public:
    // A graphic object in a text document: its size (1/100 mm), the kind of
    // its picture (a MIME type), the text of the paragraph its anchor stands
    // in (and the part of it before the anchor), and of the one after.
    struct Graphic {
        int width = 0;
        int height = 0;
        QString mimeType;
        QString beforeAnchor;
        QString paragraph;
        QString nextParagraph;
    };

    static OfficeInspector& Shared();

    // The graphic objects of the document at `path`, in document order.
    QList<Graphic> graphics(const QString& path);
    // The document as the office alone converts it to Word 97.
    void convertAlone(const QString& source, const QString& target);

private:
    OfficeInspector() = default;

    engine::OfficeSession mSession;
};

} // namespace enginetest
