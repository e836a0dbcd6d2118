// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>

namespace platform {

// What one run of the program made outside its run folder (its folder in
// memory-backed storage, the office's pipes in /tmp), and the run folder
// itself, noted where every later start of this user looks whatever its
// TMPDIR: in "/tmp/tallowin-runs-<uid>" (or a private "-XXXXXX" beside it
// when another account holds that name), one record per run, named after
// the run. Each thing is noted before it is made, its name with its length
// in front, so that no byte in a name can cut it short. A run holds a lock
// on its record for its whole life: a record nobody holds belongs to a run
// that is over (killed), and the next start removes what it lists, each only
// while it is still what the run made (the exact name, the kind, this
// user's, not a link), then the record.
class RunRecord final {
public:
    enum class Kind : char {
        Folder = 'D',    // a folder and everything in it
        Socket = 'S',    // a socket file
        RunFolder = 'R', // the run folder: see CleanEndedRuns
    };
    // Removes the folder of a run that is over, when it is that run's.
    using RunFolderRemover = void (*)(const QString& runFolder, const QString& runId);

    // A new run id: the process id and 128 random bits, "<pid>-<32 hex>",
    // which nobody can guess from what other accounts see.
    static QString NewRunId();
    // Whether `text` has the form of a run id.
    static bool IsRunId(const QString& text);

    // Creates and locks the record of the run `runId`; null when no record
    // can be kept (the run works on; what it leaves is found only by a start
    // with its TMPDIR).
    static std::unique_ptr<RunRecord> Create(const QString& runId);
    ~RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;

    // Notes `path` (absolute), before it is made. Thread-safe.
    void note(Kind kind, const QString& path);
    // What was noted of a kind.
    QStringList noted(Kind kind) const;
    // At the run's end: removes the folders and sockets it noted (its run
    // folder is left to the run), then, with `discard`, the record itself.
    // False when a folder could not be removed whole: the record is then
    // best kept for the next start.
    bool removeNoted();
    void discard();

    // The start's clean-up: for every record of this user whose run is
    // over, removes what it lists (its run folder through `removeRunFolder`),
    // then the record, unless a folder it lists could not be removed whole.
    static void CleanEndedRuns(RunFolderRemover removeRunFolder);

private:
    RunRecord(int fd, QString path);

    struct Entry {
        Kind kind;
        QString path;
    };
    static QList<Entry> Read(int fd);
    static bool Remove(const QList<Entry>& entries, const QString& runId, RunFolderRemover removeRunFolder);

    int mFd = -1;
    QString mPath;
    mutable std::mutex mLock;
    QList<Entry> mEntries;
};

} // namespace platform
