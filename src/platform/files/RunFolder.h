// SPDX-License-Identifier: MPL-2.0
#pragma once

// The files room (platform/files): file names as the system keeps them
// (FileNames, Files), the list of a folder's files (FileListBox), temporary
// files (TempFiles), and this class, the run's private folders (with
// MemoryFolder in memory-backed storage and RunRecord, which lets a later
// start clean up after a killed run).

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <mutex>

namespace platform {

class RunRecord;

// The program's private folder for this run, shared by everything it keeps
// while it runs: the jobs' temporary copies of the documents, the engine's
// offices (their profiles, temporary files and saves), the UNO bootstrap
// file and the journal of Word saves in flight.
//
// Run folders live under one well-known parent in the system temporary folder
// ("tallowin-engine-<uid>"; when another account holds that name, under a
// private "tallowin-engine-<uid>-XXXXXX" instead), each named after its
// process and holding a lock that the process keeps for its whole life. A
// folder whose lock nobody holds belongs to a run that was killed: the next
// start removes it, together with the half-written files its journal names.
// What a run makes outside its folder (its memory-backed folder, the
// engine's office pipes) is noted in its RunRecord, which the next start
// finds whatever its TMPDIR. The folder goes when the program ends, however
// it ends short of being killed (at exit and in an end hook).
class RunFolder final {
public:
    // The folder of this process, created (and killed runs cleaned) on first
    // use, and again should it have been removed. Raises a RuntimeError when
    // no private folder can be made.
    static RunFolder& Instance();

    // Removes the folder and everything in it. Safe to call more than once,
    // from an end hook and at exit.
    static void RemoveAtEnd();
    // Work that must be done before the folder is removed at the end (the
    // engine stops its offices, which write into it). Lock-free.
    static void AddBeforeRemoval(void (*work)());

    // Full path, without a trailing separator.
    QString path() const { return mPath; }
    // A text unique to this run (see RunRecord::NewRunId).
    QString runId() const { return mRunId; }
    // Notes a socket the run is about to have made outside its folder (an
    // office's pipe), so that it is removed when the run is over, also
    // after a kill; and the sockets noted so far.
    void noteSocket(const QString& path);
    QStringList notedSockets() const;
    // A new, empty subfolder for one office instance.
    QString newSubfolder(const QString& stem);
    // A private subfolder `name` of this run's memory-backed folder (see
    // MemoryFolder), made if need be; empty text when there is none.
    QString memorySubfolder(const QString& name) const;
    // The folder of the program's temporary files (without a trailing
    // separator): in this run's memory-backed folder where there is one
    // (see MemoryFolder), else in the run folder; they go with the run, also
    // with one that was killed.
    QString tempFolder() const { return mTempFolder; }
    // A new, empty temporary file (see CreateTempFile) in tempFolder(), or
    // in the run folder on the disk when the memory-backed folder is gone or
    // has less room than a document's copy may take. Raises a RuntimeError
    // when none can be made.
    QString createTempFile(const QString& prefix);

    // The journal of Word saves in flight: a temporary file that is being
    // written in a target folder is noted here until it is renamed or removed,
    // so that a killed run's next start can remove it.
    void notePending(const QString& file);
    void clearPending(const QString& file);

    // The shared parent of run folders.
    static QString ParentFolder();
    // What a start does first: removes what the runs of this user that are
    // over (killed) left, wherever their TMPDIR was (see RunRecord), and the
    // run folders under the shared parent in `tempFolder` (which ends with a
    // separator) and under private parents made when another account held
    // the shared name (only folders of this user, closed to others, not
    // links), then the parents themselves when nothing is left in them.
    static void CleanKilledRuns(const QString& tempFolder);
    // Removes the folders and pending files of the runs under `parent` that
    // are over. Only folders named exactly as a run names its folder are
    // looked at.
    static void CleanStaleRuns(const QString& parent);
    // Removes a folder tree, retrying while another thread removes parts of
    // it or a dying process still adds to it; links in it are removed, not
    // followed. True when the folder is gone.
    static bool RemoveTree(const QString& folder);
    // Name prefix of the temporary Word files written next to a target.
    static QString PendingPrefix() { return QStringLiteral(".~tallowin-"); }

private:
    RunFolder();
    void create();
    void removeNow();
    bool isGone() const;

    QString mParent;
    QString mPath;
    QString mRunId;
    QString mTempFolder;
    QString mMemoryFolder; // empty: no memory-backed storage
    QString mDiskTempFolder;
    std::once_flag mDiskTempMade;
    std::unique_ptr<RunRecord> mRecord; // null: no record could be kept
    int mLockFd = -1;
    std::atomic<int> mNextSubfolder{0};
    std::mutex mJournalLock;
    std::atomic<bool> mRemoved{false};
};

} // namespace platform
