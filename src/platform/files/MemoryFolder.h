// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

namespace platform {

class RunRecord;

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
// Its name holds 128 random bits, so that the name, which other accounts
// see, tells nothing of the run's other names. The folder goes with its run
// (noted in the run's record), also after a kill, at the next start.
class MemoryFolder final {
public:
    MemoryFolder() = delete;

    // Creates the folder (0700), noted in `record` (when there is one) before
    // it is made; returns its path, or empty text when there is no
    // memory-backed storage to use.
    static QString Create(RunRecord* record);
};

} // namespace platform
