// SPDX-License-Identifier: MPL-2.0
#include "platform/files/RunFolder.h"

#include "platform/files/FileNames.h"
#include "platform/files/MemoryFolder.h"
#include "platform/desktop/Program.h"
#include "platform/files/RunRecord.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

const QString kSource = QStringLiteral("Run folder");
const QString kRunPrefix = QStringLiteral("run-");
const QString kNewPrefix = QStringLiteral("new-");
const QString kLockName = QStringLiteral("lock");
const QString kJournalName = QStringLiteral("pending");
// The jobs' temporary copies stay in memory-backed storage while it has at
// least this much room: a copy is a document's text.
constexpr qint64 kMemoryRoom = 16 * 1024 * 1024;

RunFolder*& instancePointer()
{
    static RunFolder* instance = nullptr;
    return instance;
}

constexpr int kHookSlots = 8;
std::atomic<void (*)()> gBeforeRemoval[kHookSlots];

// Adds a function to a lock-free table once.
template <typename Function>
void addOnce(std::atomic<Function> (&table)[kHookSlots], Function function)
{
    for (auto& slot : table) {
        Function expected = slot.load();
        if (expected == function)
            return;
        expected = nullptr;
        if (slot.compare_exchange_strong(expected, function))
            return;
    }
}

std::mutex& instanceLock()
{
    static std::mutex lock;
    return lock;
}

QByteArray native(const QString& path)
{
    return platform::EncodeFileName(path);
}

// The name of the shared parent of run folders.
QString parentName()
{
    return QStringLiteral("tallowin-engine-%1").arg(::getuid());
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A journal note: the name's own bytes (a folder's name need not be UTF-8)
// with their length in front.
QByteArray journalNote(const QString& file)
{
    const QByteArray name = EncodeFileName(file);
    QByteArray note(4, '\0');
    qToBigEndian(static_cast<quint32>(name.size()), note.data());
    return note + name;
}

// The name a journal note holds, when it is one the engine writes: whole,
// absolute, without a NUL (a system call would read only up to it), and
// named as the engine names its temporary Word files.
QString journalledName(const QByteArray& note)
{
    static const QRegularExpression form(QRegularExpression::escape(RunFolder::PendingPrefix())
                                         + QStringLiteral("[0-9a-f]{1,16}\\.tmp$"));
    if (note.size() < 4 || qFromBigEndian<quint32>(note.constData()) != static_cast<quint32>(note.size() - 4))
        return QString();
    const QByteArray name = note.mid(4);
    if (name.contains('\0') || !name.startsWith('/'))
        return QString();
    const QString file = DecodeFileName(name);
    return form.match(QFileInfo(file).fileName()).capturedStart() == 0 ? file : QString();
}

// Removes a killed run's half-written Word files, named in its journal: only
// regular files of this user's with the names the engine gives them.
void removeJournalledFiles(const QString& runFolder)
{
    const QDir journal(QDir(runFolder).filePath(kJournalName));
    const QStringList entries = journal.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        QFile note(journal.filePath(entry));
        if (!note.open(QIODevice::ReadOnly))
            continue;
        const QString file = journalledName(note.read(64 * 1024));
        if (!file.isEmpty())
            RemoveOwnFile(file, S_IFREG);
    }
}

// The folder name of the run `runId`.
QString runFolderName(const QString& runId)
{
    return kRunPrefix + runId;
}

// Removes the folder of a run that is over, with the files its journal
// names: only a private folder of this user named after the run, whose lock
// nobody holds.
void removeEndedRun(const QString& folder, const QString& runId)
{
    if (!RunRecord::IsRunId(runId) || QFileInfo(folder).fileName() != runFolderName(runId) || !IsPrivateFolder(folder))
        return;
    const int fd = ::open(native(folder + QLatin1Char('/') + kLockName).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    // A live run holds its lock file from before its folder got this name:
    // without one, the run is over (its removal was cut short).
    if (fd < 0 ? errno == ENOENT : ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        removeJournalledFiles(folder);
        RunFolder::RemoveTree(folder);
    }
    if (fd >= 0)
        ::close(fd);
}

// Removes `name` in the folder open as `parent` (or the current folder),
// and first everything in it when it is a folder. Another thread may be
// removing its own files in it meanwhile (the pool of offices at the end of
// a run): what goes meanwhile counts as removed. A link is removed, never
// followed.
bool removeEntry(int parent, const char* name)
{
    if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT)
        return true;
    if (errno != EISDIR)
        return false;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    bool emptied = true;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            emptied = removeEntry(::dirfd(dir), entry->d_name) && emptied;
    }
    ::closedir(dir);
    return emptied && (::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT);
}

} // namespace

void RunFolder::AddBeforeRemoval(void (*work)())
{
    addOnce(gBeforeRemoval, work);
}

bool RunFolder::RemoveTree(const QString& folder)
{
    if (folder.isEmpty())
        return true;
    const QByteArray path = native(folder);
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (removeEntry(AT_FDCWD, path.constData()))
            return true;
        const timespec pause{0, 20 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    return false;
}

QString RunFolder::ParentFolder()
{
    return SystemTempPath() + parentName();
}

RunFolder& RunFolder::Instance()
{
    std::lock_guard guard(instanceLock());
    RunFolder* current = instancePointer();
    if (current && !current->mRemoved.load() && current->isGone()) {
        // Removed behind our back (a clean-up of the temporary folder): a
        // new one replaces it.
        current->mRemoved = true;
        ::close(current->mLockFd);
        current->mLockFd = -1;
        if (current->mRecord) {
            current->mRecord->removeNoted();
            current->mRecord->discard();
        }
    }
    // A folder removed by an end hook is replaced when the process goes on
    // (tests end the program without leaving the process); not when it is
    // leaving: a thread still at work must not leave a new one behind.
    if (!current || current->mRemoved.load()) {
        if (IsLeaving())
            throw RuntimeError(RuntimeError::PermissionDenied,
                               QStringLiteral("The program is ending: no run folder is made any more"), kSource);
        instancePointer() = new RunFolder(); // lives until the process ends
        static const bool atExit = (std::atexit([] {
                                        MarkLeaving();
                                        RemoveAtEnd();
                                    }),
                                    true);
        Q_UNUSED(atExit);
        AddEndHook(RemoveAtEnd);
    }
    return *instancePointer();
}

bool RunFolder::isGone() const
{
    struct stat info {};
    return ::lstat(native(mPath).constData(), &info) != 0;
}

void RunFolder::RemoveAtEnd()
{
    // No lock here: an end hook must not wait for a thread that holds it.
    if (RunFolder* folder = instancePointer())
        folder->removeNow();
}

RunFolder::RunFolder()
{
    // A run that ends removes the shared parent when it is empty, so another
    // run may remove it between our mkdir and mkdtemp: try again then.
    for (int attempt = 0;; ++attempt) {
        try {
            create();
            return;
        } catch (const RuntimeError&) {
            if (attempt == 2)
                throw;
        }
    }
}

void RunFolder::create()
{
    CleanKilledRuns(SystemTempPath());
    // Somebody else's folder (or a link) under the shared name is left alone:
    // a fresh private one serves instead.
    const QString parent = MakeFolderUnderSharedName(ParentFolder());

    // Built under a temporary name and renamed once its lock is held, so that
    // a cleaner never sees a run folder without a lock.
    QByteArray pattern = native(parent + QLatin1Char('/') + kNewPrefix + QStringLiteral("XXXXXX"));
    if (!::mkdtemp(pattern.data()) || ::chmod(pattern.constData(), 0700) != 0)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot create the engine's run folder in %1: %2").arg(parent, errnoText()),
                           kSource);
    const QString building = platform::DecodeFileName(pattern);
    const QString lockPath = building + QLatin1Char('/') + kLockName;
    mLockFd = OpenPrivateFile(lockPath, O_RDWR);
    if (mLockFd < 0 || ::flock(mLockFd, LOCK_EX | LOCK_NB) != 0) {
        const QString why = errnoText();
        if (mLockFd >= 0)
            ::close(mLockFd);
        mLockFd = -1;
        QDir(building).removeRecursively();
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot lock the engine's run folder %1: %2").arg(building, why),
                           kSource);
    }
    mRunId = RunRecord::NewRunId();
    mParent = parent;
    mPath = parent + QLatin1Char('/') + runFolderName(mRunId);
    // Noted before it has its name, so that a start with another TMPDIR
    // finds it too should the run be killed.
    mRecord = RunRecord::Create(mRunId);
    if (mRecord)
        mRecord->note(RunRecord::Kind::RunFolder, mPath);
    if (::rename(native(building).constData(), native(mPath).constData()) != 0) {
        const QString why = errnoText();
        QDir(building).removeRecursively();
        ::close(mLockFd);
        mLockFd = -1;
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot create the engine's run folder %1: %2").arg(mPath, why),
                           kSource);
    }
    MakePrivateFolder(mPath + QLatin1Char('/') + kJournalName);
    // The jobs' temporary copies are made and removed once per document:
    // in memory where there is memory-backed storage.
    mMemoryFolder = MemoryFolder::Create(mRecord.get());
    mDiskTempFolder = mPath + QStringLiteral("/temp");
    mTempFolder = memorySubfolder(QStringLiteral("temp"));
    if (mTempFolder.isEmpty())
        mTempFolder = mDiskTempFolder;
    MakePrivateFolder(mTempFolder);
}

QString RunFolder::createTempFile(const QString& prefix)
{
    if (mTempFolder != mDiskTempFolder) {
        // A full memory file system would fail the copy's write, a removed
        // folder its creation: the disk serves then.
        struct statvfs room {};
        if (::statvfs(native(mTempFolder).constData(), &room) == 0
            && static_cast<qint64>(room.f_bavail) * static_cast<qint64>(room.f_frsize) >= kMemoryRoom) {
            try {
                return CreateTempFile(mTempFolder + QLatin1Char('/'), prefix);
            } catch (const RuntimeError&) {
            }
        }
    }
    std::call_once(mDiskTempMade, [this] { MakePrivateFolder(mDiskTempFolder); });
    return CreateTempFile(mDiskTempFolder + QLatin1Char('/'), prefix);
}

void RunFolder::noteSocket(const QString& path)
{
    if (mRecord)
        mRecord->note(RunRecord::Kind::Socket, path);
}

QStringList RunFolder::notedSockets() const
{
    return mRecord ? mRecord->noted(RunRecord::Kind::Socket) : QStringList();
}

QString RunFolder::memorySubfolder(const QString& name) const
{
    if (mMemoryFolder.isEmpty())
        return QString();
    const QString folder = mMemoryFolder + QLatin1Char('/') + name;
    try {
        MakePrivateFolder(folder);
    } catch (const RuntimeError&) {
        return QString();
    }
    return folder;
}

void RunFolder::CleanKilledRuns(const QString& tempFolder)
{
    RunRecord::CleanEndedRuns(&removeEndedRun);
    for (const QString& parent : FoldersUnderSharedName(tempFolder + parentName())) {
        CleanStaleRuns(parent);
        ::rmdir(native(parent).constData()); // when no run is left in it
    }
}

void RunFolder::CleanStaleRuns(const QString& parent)
{
    const QDir dir(parent);
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    // mkdtemp's names for runs being set up.
    static const QRegularExpression building(QRegularExpression::escape(kNewPrefix) + QStringLiteral("[A-Za-z0-9]{6}$"));
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (entry.isSymLink())
            continue;
        if (building.match(name).capturedStart() == 0) {
            // A run that died while it was being set up.
            if (entry.lastModified().secsTo(QDateTime::currentDateTime()) > 3600)
                QDir(entry.filePath()).removeRecursively();
            continue;
        }
        if (name.startsWith(kRunPrefix))
            removeEndedRun(entry.filePath(), name.mid(kRunPrefix.size()));
    }
}

QString RunFolder::newSubfolder(const QString& stem)
{
    const QString path = mPath + QStringLiteral("/%1-%2").arg(stem).arg(mNextSubfolder.fetch_add(1));
    QDir(path).removeRecursively();
    MakePrivateFolder(path);
    return path;
}

void RunFolder::notePending(const QString& file)
{
    std::lock_guard guard(mJournalLock);
    const QByteArray key = QByteArray::number(qHash(file), 16);
    try {
        WritePrivateFile(mPath + QLatin1Char('/') + kJournalName + QLatin1Char('/') + QString::fromLatin1(key),
                         journalNote(file));
    } catch (const RuntimeError&) {
        // Without its note the file is still removed when the save fails;
        // only a kill in the middle of the save would leave it.
    }
}

void RunFolder::clearPending(const QString& file)
{
    std::lock_guard guard(mJournalLock);
    const QByteArray key = QByteArray::number(qHash(file), 16);
    ::unlink(native(mPath + QLatin1Char('/') + kJournalName + QLatin1Char('/') + QString::fromLatin1(key)).constData());
}

void RunFolder::removeNow()
{
    if (mRemoved.exchange(true))
        return;
    for (const auto& slot : gBeforeRemoval)
        if (void (*work)() = slot.load())
            work();
    removeJournalledFiles(mPath);
    bool removed = !mRecord || mRecord->removeNoted();
    removed = RemoveTree(mPath) && removed;
    // Last: it lists what is removed above. Should anything be left, the
    // record stays, and the next start, which finds it unlocked once this
    // process is gone, removes the rest.
    if (mRecord && removed)
        mRecord->discard();
    if (mLockFd >= 0)
        ::close(mLockFd);
    mLockFd = -1;
    // The shared parent goes too when no other run uses it.
    ::rmdir(native(mParent).constData());
}

} // namespace platform
