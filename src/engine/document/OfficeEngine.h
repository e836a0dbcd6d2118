// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/document/MacroFile.h"
#include "engine/document/OfficeDocument.h"
#include "engine/document/PreparedDocument.h"
#include "engine/office/OfficeSession.h"
#include "platform/automation/RuntimeError.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace engine {

// The engine-thread side of the automation server: one office session and
// the current document, with every operation guarded by the watchdog and
// every office failure turned into a RuntimeError that names the file and
// the reason. When the office dies (crash, watchdog), the operation fails and
// the next FileOpen starts a new office. Every member runs on the engine
// thread.
class OfficeEngine final {
public:
    struct Limits {
        std::chrono::milliseconds base{60000};       // every call
        std::chrono::milliseconds perMegabyte{10000}; // and this per MB of the source
    };

    OfficeEngine();
    ~OfficeEngine();

    // Starts the office if none runs (used at creation, in the background).
    void start();

    // Opens `file` for the program; failures name `shownAs` when given.
    // The document is loaded the full way (see OfficeDocument::Way) unless
    // `plainly` says the full way has already failed on it.
    //
    // Never worse than the office alone: whenever the office crashes, hangs
    // or fails on the open document (loading it, laying it out, putting its
    // pictures back, examining or saving it), the document is loaded again
    // the plain way, on a fresh office when the old one is gone, and the
    // call made once more. Only the failure of that try reaches the caller.
    void open(const QString& file, qint64 size, const QString& shownAs = QString(), bool plainly = false);
    bool isBlank();
    // What the Word file written last leaves out or lacks (see
    // OfficeDocument::notes); empty when nothing, or before a Word save.
    const QString& notes() const { return mNotes; }
    void moveToTop();
    void play(const MacroFile& macro);
    void saveCopy(const QString& path);
    // Writes the Word file (or the other format asked for) to `path`, with
    // the read and write bits of `permissions`.
    void saveWord(const QString& path, const SaveFormat& format, mode_t permissions);
    void close();
    // Converts an announced document ahead of the program's calls (see
    // OfficePool): loads its private copy, takes its text and blankness,
    // writes the Word document (in the format announced) into its private
    // folder, and closes it.
    // Returns the document's new state: Ready; Refused when the office
    // refuses to open it as a direct open would (same description);
    // Fallback when anything else went wrong (the office died, say), so
    // that the direct conversion serves it as it would without the pool;
    // Waiting when this office cannot be started (another may take it).
    // Must not run while the program has a document open in this office.
    PreparedDocument::State prepare(PreparedDocument& document);
    // Kills the office and forgets it and the document, without a call
    // across the bridge (the end of the server may come at process exit).
    void abandon();

    void setLimits(Limits limits) { mLimits = limits; }
    OfficeSession& session() { return mSession; }

private:
    std::chrono::milliseconds limitFor(qint64 bytes) const;
    void requireDocument(const QString& action) const;
    // `file`, or a link to it that the office can be given by name.
    QString readableName(const QString& file);
    void removeSourceLink() noexcept;
    // Closes a document under the watchdog.
    void closeDocument(std::unique_ptr<OfficeDocument>& document);
    // Runs `body` under the watchdog; `action` and `file` describe the call
    // in failures ("Cannot open /x/y.wpd: ...").
    void guarded(const QString& action, const QString& file, std::chrono::milliseconds limit,
                 const std::function<void()>& body);
    // Runs `step` on the open document, guarded; when the office fails on
    // it, loads the document again plainly and runs the step once more.
    void onDocument(const QString& action, const QString& file, const std::function<void()>& step);
    // Loads the open document's file again the plain way and plays again
    // the macro played on it.
    void reopenPlainly();
    // Loads `file` one way or the other into mDocument, under the watchdog.
    void load(const QString& file, const QString& path, qint64 size, OfficeDocument::Way way);
    // Whether the last guarded call failed because of the office (it died,
    // hung, or raised an error of its own), not because the engine refused.
    bool officeFailed() const { return mLastFailure != Failure::None; }

    enum class Failure { None, OfficeDied, TimedOut, OfficeError };

    OfficeSession mSession;
    Failure mLastFailure = Failure::None;
    std::unique_ptr<OfficeDocument> mDocument;
    qint64 mDocumentSize = 0;
    // The open document: the name the office reads, the name failures give,
    // whether it was loaded plainly, the macro with commands played on it.
    QString mDocumentFile;
    QString mDocumentPath;
    bool mPlain = false;
    std::optional<MacroFile> mPlayed;
    // Why the open document went away, if it did: later calls give that
    // reason, not that no document is open.
    std::optional<platform::RuntimeError> mLost;
    QString mNotes;
    QString mSourceLink; // see readableName
    Limits mLimits;
};

} // namespace engine
