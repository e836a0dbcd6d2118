// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/document/FileIdentity.h"
#include "engine/document/PreparedDocument.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace engine {

class EngineThread;
class OfficeEngine;

// The offices that convert a batch's documents ahead of the program's calls.
//
// The program announces the documents it is about to convert, in order
// (announce). Each office, on its own engine thread, takes the next waiting
// document within a window a few documents per office past the one the
// program opened last, converts a private copy of it (OfficeEngine::prepare)
// and takes the next, so that disk and memory stay flat over a batch of any
// size. When the program opens an announced document (take), the result is
// handed over if the document is still the file that was copied; otherwise,
// and for anything the offices could not do, the direct conversion runs as
// it would without the pool.
//
// Office 0 also serves the direct conversion; it works ahead only while the
// program has no document open in it (hold).
//
// Offices start as the run needs them: office 0 at once (expect(1)), the
// others only once a batch of more documents than the running offices
// convert while another starts is expected or announced. An office once
// started stays in the pool's service.
//
// expect, announce, take, release, hold, stopWorkingAhead and shutDown run
// on the program's thread; the work runs on the offices' threads.
class OfficePool final : public std::enable_shared_from_this<OfficePool> {
public:
    struct Office {
        EngineThread* thread;
        std::shared_ptr<OfficeEngine> engine;
    };

    // Documents each office may work ahead of the program.
    static constexpr int kAheadPerOffice = 4;
    // What one office is reckoned to cost in memory, for the default size.
    static constexpr qint64 kOfficeBytes = 256LL * 1024 * 1024;

    // The default number of offices: one per processor core this process may
    // run on, but no more than half the available memory holds at
    // kOfficeBytes each, at least one and at most EngineThread::kMaxThreads.
    // The environment variable TALLOWIN_OFFICES (a number) overrides it.
    static int DefaultSize();

    // Documents up to this size are worked on in the memory folder.
    static constexpr qint64 kInMemoryBytes = 8LL * 1024 * 1024;

    // `folder`: a private folder (0700) that holds the work; `memoryFolder`
    // (may be empty): one in memory-backed storage (see platform::MemoryFolder) for
    // documents up to kInMemoryBytes. Both are removed with the pool.
    OfficePool(std::vector<Office> offices, QString folder, QString memoryFolder);
    ~OfficePool();
    OfficePool(const OfficePool&) = delete;
    OfficePool& operator=(const OfficePool&) = delete;

    int size() const { return static_cast<int>(mOffices.size()); }
    // The offices started so far (0 to active() - 1).
    int active();
    const QString& folder() const { return mFolder; }
    const QString& memoryFolder() const { return mMemoryFolder; }
    const Office& office(int index) const { return mOffices.at(static_cast<std::size_t>(index)); }

    // A batch of about `documents` documents may follow: starts the offices
    // it needs that do not run yet (office 0 for any), in the background.
    void expect(int documents);
    // The documents (absolute paths) the program is about to convert, in
    // order, and the format it will save them in; replaces any earlier
    // announcement and its work. Starts the offices the batch needs, as
    // expect does.
    void announce(const QStringList& paths, const SaveFormat& format);

    // The work done for `path`, which the program now opens and which is
    // `now` on disk: a Ready or Refused document that the caller owns (and
    // gives back with release), or null when the direct conversion must run
    // (not announced, not prepared, changed since it was copied, or nothing
    // came of the work). A document an office is working on is waited for,
    // at most `limit`. Documents announced before `path` and not opened are
    // dropped. `plainly` says whether the office failed on the document the
    // full way and the plain way (so the direct conversion goes the plain
    // way at once).
    std::shared_ptr<PreparedDocument> take(const QString& path, const FileIdentity& now,
                                           std::chrono::milliseconds limit, bool* plainly = nullptr);
    // Removes a taken document's private files.
    void release(const std::shared_ptr<PreparedDocument>& document);

    // Whether the program has a document open in office 0.
    void hold(bool held);
    // Stops the work ahead until the next announcement (what it makes could
    // not be used: the clean-up macro has commands).
    void stopWorkingAhead();
    // Drops all work for good (the server is going).
    void shutDown();

    // Waits (blocking) until no office works on a document, at most `limit`;
    // for benchmarks and tests.
    bool waitUntilIdle(std::chrono::milliseconds limit);

private:
    using Document = std::shared_ptr<PreparedDocument>;

    // The offices a batch of `documents` documents needs.
    int officesForLocked(int documents) const;
    void expectLocked(int documents);
    // On office `office`'s thread: its start, timed.
    void start(int office);
    void scheduleLocked();
    Document nextWaitingLocked();
    void dropLocked(const Document& document);
    static void removeFiles(PreparedDocument& document);
    void work(int office, const Document& document);
    // On the office's thread: the private copy, then the conversion.
    PreparedDocument::State prepare(int office, PreparedDocument& document);

    const std::vector<Office> mOffices;
    const QString mFolder;
    const QString mMemoryFolder;

    std::mutex mLock;
    std::condition_variable mIdle;
    std::vector<Document> mDocuments; // announced, in order; null once taken
    QHash<QString, int> mIndex;       // first index of each path
    int mNext = 0;                    // the first document the program has not opened yet
    int mScan = 0;                    // no document before this one is waiting
    std::vector<bool> mBusy;
    std::vector<bool> mRetired;       // could not start, or stopped answering
    int mActive = 0;                  // offices started
    // What the need for offices is reckoned from: how long an office takes
    // to start, and one document's work ahead (both measured as they happen).
    double mStartMs = 1000;
    double mDocumentMs = 25;
    bool mHeld = false;
    bool mStopped = false;
    bool mShutDown = false;
    quint64 mNextFolder = 0;
};

} // namespace engine
