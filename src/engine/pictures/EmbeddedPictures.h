#pragma once

#include "engine/pictures/EmbeddedPicture.h"

#include <QList>
#include <QString>
#include <functional>
#include <future>
#include <optional>

#include <com/sun/star/lang/XComponent.hpp>

namespace engine {

class OfficeSession;

// The pictures room (engine/pictures): the pictures embedded in WordPerfect
// documents, which the office's own import drops. Reading and drawing them
// needs no office (the library tallowin_pictures: PictureProbe,
// PictureCollector, WordPerfectBoxes, WordPerfectHeader, PictureConverter,
// WmfDrawing); putting them into the office's document does
// (EmbeddedPictures, PictureInserter, FramePlacement).
//
// The pictures embedded in a WordPerfect document, which the office's own
// import drops, put back into the document it loaded.
//
// Created before the office loads the document: a look at the document's
// prefix (PictureProbe) tells whether it may hold pictures; only then are
// they read (PictureCollector) and converted (PictureConverter) on a thread
// of their own while the office loads. insertInto then puts them into the
// loaded document (PictureInserter). A document without pictures costs the
// look at its prefix and nothing else.
class EmbeddedPictures final {
public:
    explicit EmbeddedPictures(const QString& path);
    ~EmbeddedPictures(); // waits for the reading to end
    EmbeddedPictures(const EmbeddedPictures&) = delete;
    EmbeddedPictures& operator=(const EmbeddedPictures&) = delete;

    // Pictures that are not in the document, by why.
    struct LeftOut {
        int unread = 0;   // found but unreadable or unconvertible
        int unplaced = 0; // found where they cannot be placed, or not put in
    };

    // Inserts the pictures into `document`, the same file as loaded by the
    // office (again, for the same file loaded again: they are read once).
    // Raises only the UNO exception of an office that has gone away.
    LeftOut insertInto(OfficeSession& session, const css::uno::Reference<css::lang::XComponent>& document);
    // What leaving every picture out leaves out (for a document loaded
    // without its pictures).
    LeftOut leaveOut();

    // Runs before the pictures of a document go in (tests make the office
    // fail there); none by default.
    static void SetBeforeInserting(std::function<void(OfficeSession&)> hook);

private:
    struct Prepared {
        QList<EmbeddedPicture> pictures;
        LeftOut leftOut;
    };
    static Prepared Prepare(const QString& path);
    const std::optional<Prepared>& prepared();
    static std::function<void(OfficeSession&)>& beforeInserting();

    std::future<Prepared> mWork;
    std::optional<Prepared> mPrepared; // once the work is taken
};

} // namespace engine
