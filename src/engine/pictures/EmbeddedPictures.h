// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/pictures/reader/EmbeddedPicture.h"

#include <QList>
#include <QString>
#include <functional>
#include <future>
#include <optional>

#include <com/sun/star/lang/XComponent.hpp>

namespace engine {

class OfficeSession;

// The pictures room (engine/pictures): the pictures embedded in WordPerfect
// documents, which the office's own import drops. This folder is the
// engine's side: the look at a document's prefix (PictureProbe,
// WordPerfectHeader), the start of the picture reader (PictureReader), and
// putting the pictures into the office's document (EmbeddedPictures,
// PictureInserter, FramePlacement). Two rooms within it need no office and
// make the library tallowin_pictures, which only the picture reader links:
// reader/ (the reader process: finding the pictures and their frames,
// costing and converting them, its sandbox and its answer) and drawing/ (a
// drawing written as a Windows metafile).
//
// The pictures embedded in a WordPerfect document, which the office's own
// import drops, put back into the document it loaded.
//
// Created before the office loads the document: a look at the document's
// prefix (PictureProbe) tells whether it may hold pictures; only then are
// they read and converted, in a process of their own (PictureReader), while
// the office loads. insertInto then puts them into the loaded document
// (PictureInserter). A document without pictures costs the look at its
// prefix and nothing else: no thread, no process.
//
// The office's own import reads the pictures too (and drops them): one
// whose bitmaps declare more than their budget would cost it what they
// declare (1.4 GB and 15 s for a 30 KB picture). The office therefore
// loads a private copy of such a document in which those pictures do not
// begin as pictures (fileForTheOffice).
class EmbeddedPictures final {
public:
    explicit EmbeddedPictures(const QString& path);
    ~EmbeddedPictures(); // waits for the reading to end; removes its copy
    EmbeddedPictures(const EmbeddedPictures&) = delete;
    EmbeddedPictures& operator=(const EmbeddedPictures&) = delete;

    // The file the office is to load: the document, or a copy in the
    // private folder `folder` without the pictures over their budget. Waits
    // until the reader has found the pictures (its start and libwpd's
    // reading of the text: 8 to 25 ms for the samples).
    QString fileForTheOffice(const QString& folder);

    // Pictures that are not in the document, by why.
    struct LeftOut {
        int unread = 0;   // found but unreadable or unconvertible
        int unplaced = 0; // found where they cannot be placed, or not put in
        int tooLarge = 0; // over their budget of memory or time
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
    const std::optional<Prepared>& prepared();
    static std::function<void(OfficeSession&)>& beforeInserting();

    QString mPath;
    std::future<Prepared> mWork;
    bool mDeferred = false;               // the work runs when it is asked for
    std::future<QList<qint64>> mTooLarge; // where those pictures begin
    std::optional<Prepared> mPrepared;    // once the work is taken
    QString mCopy;                        // the office's copy, if one was made
};

} // namespace engine
