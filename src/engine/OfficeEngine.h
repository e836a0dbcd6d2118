#pragma once

#include "engine/MacroFile.h"
#include "engine/OfficeDocument.h"
#include "engine/OfficeSession.h"
#include "engine/PreparedDocument.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

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
    void open(const QString& file, qint64 size, const QString& shownAs = QString());
    bool isBlank();
    // Pictures of the open document that could not be put back (0 when no
    // document is open).
    int picturesLeftOut() const { return mDocument ? mDocument->picturesLeftOut() : 0; }
    void moveToTop();
    void play(const MacroFile& macro);
    void saveCopy(const QString& path);
    // Writes the Word file (or the other format asked for) to `path`.
    void saveWord(const QString& path, const SaveFormat& format);
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

    enum class Failure { None, OfficeDied, TimedOut };

    OfficeSession mSession;
    Failure mLastFailure = Failure::None;
    std::unique_ptr<OfficeDocument> mDocument;
    qint64 mDocumentSize = 0;
    QString mSourceLink; // see readableName
    Limits mLimits;
};

} // namespace engine
