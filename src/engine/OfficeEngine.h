#pragma once

#include "engine/MacroFile.h"
#include "engine/OfficeDocument.h"
#include "engine/OfficeSession.h"

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

    void open(const QString& path, qint64 size);
    bool isBlank();
    // Pictures of the open document that could not be put back (0 when no
    // document is open).
    int picturesLeftOut() const { return mDocument ? mDocument->picturesLeftOut() : 0; }
    void moveToTop();
    void play(const MacroFile& macro);
    void saveCopy(const QString& path);
    void saveWord(const QString& path);
    void close();
    // Kills the office and forgets it and the document, without a call
    // across the bridge (the end of the server may come at process exit).
    void abandon();

    void setLimits(Limits limits) { mLimits = limits; }
    OfficeSession& session() { return mSession; }

private:
    std::chrono::milliseconds limitFor(qint64 bytes) const;
    void requireDocument(const QString& action) const;
    // Runs `body` under the watchdog; `action` and `file` describe the call
    // in failures ("Cannot open /x/y.wpd: ...").
    void guarded(const QString& action, const QString& file, std::chrono::milliseconds limit,
                 const std::function<void()>& body);

    enum class Failure { None, OfficeDied, TimedOut };

    OfficeSession mSession;
    Failure mLastFailure = Failure::None;
    std::unique_ptr<OfficeDocument> mDocument;
    qint64 mDocumentSize = 0;
    Limits mLimits;
};

} // namespace engine
