#pragma once

#include <QString>
#include <atomic>
#include <mutex>

namespace engine {

// The engine's private folder for this run of the program, shared by every
// office it starts: their profiles and temporary files, the UNO bootstrap
// file and the journal of Word saves in flight.
//
// Run folders live under one well-known parent in the system temporary folder
// ("tallowin-engine-<uid>"), each named after its process and holding a lock
// that the process keeps for its whole life. A folder whose lock nobody holds
// belongs to a run that was killed: the next start removes it, together with
// the office pipes and the half-written Word files it left behind.
class RunFolder final {
public:
    // The folder of this process, created (and stale runs cleaned) on first
    // use. Raises a RuntimeError when no private folder can be made.
    static RunFolder& Instance();

    // Removes the folder and everything in it. Safe to call more than once,
    // from an end hook and at exit.
    static void RemoveAtEnd();

    // Full path, without a trailing separator.
    QString path() const { return mPath; }
    // A text unique to this run, for names outside the folder (office pipes).
    QString runId() const { return mRunId; }
    // A new, empty subfolder for one office instance.
    QString newSubfolder(const QString& stem);

    // The journal of Word saves in flight: a temporary file that is being
    // written in a target folder is noted here until it is renamed or removed,
    // so that a killed run's next start can remove it.
    void notePending(const QString& file);
    void clearPending(const QString& file);

    // The prefix of every office pipe name of this run.
    QString pipePrefix() const { return QStringLiteral("tallowin-") + mRunId; }

    // The parent of all run folders.
    static QString ParentFolder();
    // Removes the folders, pipes and pending files of runs that are over.
    static void CleanStaleRuns(const QString& parent);
    // Removes a folder tree, retrying while another thread removes parts of
    // it or a dying process still adds to it.
    static bool RemoveTree(const QString& folder);
    // Name prefix of the temporary Word files written next to a target.
    static QString PendingPrefix() { return QStringLiteral(".~tallowin-"); }

private:
    RunFolder();
    void create();
    void removeNow();

    QString mParent;
    QString mPath;
    QString mRunId;
    int mLockFd = -1;
    std::atomic<int> mNextSubfolder{0};
    std::mutex mJournalLock;
    std::atomic<bool> mRemoved{false};
};

} // namespace engine
