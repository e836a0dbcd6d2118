#include "platform/RunFolder.h"

#include "platform/FileNames.h"
#include "platform/MemoryFolder.h"
#include "platform/Program.h"
#include "platform/RuntimeError.h"
#include "platform/TempFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const QString kSource = QStringLiteral("Run folder");
const QString kRunPrefix = QStringLiteral("run-");
const QString kNewPrefix = QStringLiteral("new-");
const QString kLockName = QStringLiteral("lock");
const QString kJournalName = QStringLiteral("pending");

RunFolder*& instancePointer()
{
    static RunFolder* instance = nullptr;
    return instance;
}

constexpr int kHookSlots = 8;
std::atomic<RunFolder::StaleRunCleaner> gCleaners[kHookSlots];
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

void runCleaners(const QString& folder, const QString& runId)
{
    MemoryFolder::RemoveForRun(runId);
    for (const auto& slot : gCleaners)
        if (const RunFolder::StaleRunCleaner clean = slot.load())
            clean(folder, runId);
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

// A folder only this user can use: not a link, owned by us, closed to others.
bool isPrivateFolder(const QString& path)
{
    struct stat info {};
    if (::lstat(native(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

// Removes a killed run's half-written Word files, named in its journal. Only
// files that carry the engine's temporary prefix are touched.
void removeJournalledFiles(const QString& runFolder)
{
    const QDir journal(QDir(runFolder).filePath(kJournalName));
    const QStringList entries = journal.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        QFile note(journal.filePath(entry));
        if (!note.open(QIODevice::ReadOnly))
            continue;
        // The name's own bytes (a folder's name need not be UTF-8).
        const QByteArray file = note.readAll();
        if (QFileInfo(DecodeFileName(file)).fileName().startsWith(RunFolder::PendingPrefix()))
            ::unlink(file.constData());
    }
}

void removeStaleRun(const QString& folder, const QString& runId)
{
    removeJournalledFiles(folder);
    runCleaners(folder, runId);
    RunFolder::RemoveTree(folder);
}

} // namespace

void RunFolder::AddStaleRunCleaner(StaleRunCleaner clean)
{
    addOnce(gCleaners, clean);
}

void RunFolder::AddBeforeRemoval(void (*work)())
{
    addOnce(gBeforeRemoval, work);
}

bool RunFolder::RemoveTree(const QString& folder)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (QDir(folder).removeRecursively() || !QFileInfo::exists(folder))
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
        MemoryFolder::RemoveForRun(current->mRunId);
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
    QString parent = ParentFolder();
    if (::mkdir(native(parent).constData(), 0700) == 0)
        ::chmod(native(parent).constData(), 0700); // whatever the umask took away
    else if (errno != EEXIST)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot create the engine's folder %1: %2").arg(parent, errnoText()),
                           kSource);
    if (!isPrivateFolder(parent)) {
        // Somebody else's folder (or a link) under the shared name: use a
        // fresh private one instead, and leave the other alone.
        QByteArray pattern = native(parent + QStringLiteral("-XXXXXX"));
        if (!::mkdtemp(pattern.data()) || ::chmod(pattern.constData(), 0700) != 0)
            throw RuntimeError(RuntimeError::PermissionDenied,
                               QStringLiteral("Cannot create a private engine folder in %1: %2")
                                   .arg(SystemTempPath(), errnoText()),
                               kSource);
        parent = platform::DecodeFileName(pattern);
    }

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
    mRunId = QStringLiteral("%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    mParent = parent;
    mPath = parent + QLatin1Char('/') + kRunPrefix + mRunId;
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
    mMemoryFolder = MemoryFolder::Create(mRunId);
    mTempFolder = memorySubfolder(QStringLiteral("temp"));
    if (mTempFolder.isEmpty())
        mTempFolder = mPath + QStringLiteral("/temp");
    MakePrivateFolder(mTempFolder);
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
    const QString shared = tempFolder + parentName();
    if (isPrivateFolder(shared)) {
        CleanStaleRuns(shared);
        ::rmdir(native(shared).constData()); // when no run is left in it
    }
    const QDir temp(tempFolder);
    const QStringList privateParents =
        temp.entryList({parentName() + QStringLiteral("-*")}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : privateParents) {
        const QString parent = temp.filePath(name);
        if (!isPrivateFolder(parent))
            continue;
        CleanStaleRuns(parent);
        ::rmdir(native(parent).constData());
    }
}

void RunFolder::CleanStaleRuns(const QString& parent)
{
    const QDir dir(parent);
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (entry.isSymLink())
            continue;
        if (name.startsWith(kNewPrefix)) {
            // A run that died while it was being set up.
            if (entry.lastModified().secsTo(QDateTime::currentDateTime()) > 3600)
                QDir(entry.filePath()).removeRecursively();
            continue;
        }
        if (!name.startsWith(kRunPrefix))
            continue;
        const QString lockPath = entry.filePath() + QLatin1Char('/') + kLockName;
        const int fd = ::open(native(lockPath).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            // A live run holds its lock file from before its folder got this
            // name: without one, the run is over (its removal was cut short).
            if (errno == ENOENT)
                removeStaleRun(entry.filePath(), name.mid(kRunPrefix.size()));
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            removeStaleRun(entry.filePath(), name.mid(kRunPrefix.size()));
        ::close(fd);
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
                         EncodeFileName(file));
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
    runCleaners(mPath, mRunId);
    RemoveTree(mPath);
    if (mLockFd >= 0)
        ::close(mLockFd);
    mLockFd = -1;
    // The shared parent goes too when no other run uses it.
    ::rmdir(native(mParent).constData());
}

} // namespace platform
