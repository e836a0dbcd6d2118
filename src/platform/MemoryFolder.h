#pragma once

#include <QString>

namespace platform {

// A private folder of this run in memory-backed storage, for short-lived
// files that never need to reach a disk: the jobs' temporary copies (see
// RunFolder::tempFolder) and the work the engine's pool of offices does
// ahead (private copies of documents and the Word documents made from them).
// Creating and removing thousands of files on a disk file system costs a
// batch more than everything else the program does per document. It lives in the
// user's runtime folder ($XDG_RUNTIME_DIR) when there is one, else in
// /dev/shm when that is a memory file system; where neither is usable there
// is none and the work goes to the run folder.
//
// The folder goes with its run (RunFolder removes it as something the run
// leaves outside its folder), also after a kill, at the next start.
class MemoryFolder final {
public:
    MemoryFolder() = delete;

    // Creates the folder (0700) of the run `runId`; returns its path, or
    // empty text when there is no memory-backed storage to use.
    static QString Create(const QString& runId);
    // Removes the folder of the run `runId`, wherever it was made (the run
    // has ended, or was killed).
    static void RemoveForRun(const QString& runId);
};

} // namespace platform
