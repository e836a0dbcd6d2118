// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/office/OfficeSession.h"

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
    // in (and the part of it before the anchor); the page it is laid out
    // on, and the body element (paragraph or table, in body order) its
    // anchor stands in (-1 when in none, a header say).
    struct Graphic {
        int width = 0;
        int height = 0;
        QString mimeType;
        QString beforeAnchor;
        QString paragraph;
        int page = 0;
        int element = -1;
    };

    static OfficeInspector& Shared();

    // The graphic objects of the document at `path`, in document order.
    QList<Graphic> graphics(const QString& path);
    // The document as the office alone converts it to Word 97.
    void convertAlone(const QString& source, const QString& target);
    // The page each body element (paragraph or table) of the document
    // starts on, laid out by the office (a WordPerfect document through the
    // office's own import, without its pictures).
    QList<int> elementPages(const QString& path);

private:
    OfficeInspector() = default;

    engine::OfficeSession mSession;
};

} // namespace enginetest
