#pragma once

#include <QString>

namespace engine {

// A private folder of this run in memory-backed storage, for the work the
// pool of offices does ahead: private copies of documents and the Word
// documents made from them, which never need to reach a disk (a store onto
// a disk costs the office a journal commit per document). It lives in the
// user's runtime folder ($XDG_RUNTIME_DIR) when there is one, else in
// /dev/shm when that is a memory file system; where neither is usable there
// is none and the work goes to the run folder.
//
// The folder goes when the run ends: with the pool that made it, and as
// something its run leaves outside the run folder (see
// platform::RunFolder::AddStaleRunCleaner), also after a kill.
class MemoryFolder final {
public:
    MemoryFolder() = delete;

    // Creates the folder (0700) of the run `runId`; returns its path, or
    // empty text when there is no memory-backed storage to use.
    static QString Create(const QString& runId);
    // Removes the folder of the run `runId`, wherever it was made (a stale
    // run cleaner).
    static void RemoveForRun(const QString& runFolder, const QString& runId);
};

} // namespace engine
