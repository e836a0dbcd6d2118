// SPDX-License-Identifier: MPL-2.0
#include "platform/files/RunRecord.h"

#include "platform/files/FileNames.h"
#include "platform/files/RunFolder.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QtEndian>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Where the records are: a fixed place, whatever TMPDIR says (the office's
// pipes are in /tmp whatever it says, too).
QString sharedFolder()
{
    return QStringLiteral("/tmp/tallowin-runs-%1").arg(::geteuid());
}

// A name's bytes with their length in front: [kind][length, 4 bytes][bytes].
QByteArray encode(RunRecord::Kind kind, const QString& path)
{
    const QByteArray name = EncodeFileName(path);
    QByteArray entry(5, '\0');
    entry[0] = static_cast<char>(kind);
    qToBigEndian(static_cast<quint32>(name.size()), entry.data() + 1);
    return entry + name;
}

bool isOwnFolder(const QString& path)
{
    struct stat info {};
    return ::lstat(EncodeFileName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
           && info.st_uid == ::geteuid();
}

} // namespace

QString RunRecord::NewRunId()
{
    return QString::number(::getpid()) + QLatin1Char('-') + UnguessableText();
}

bool RunRecord::IsRunId(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]+-[0-9a-f]{32}$"));
    return form.match(text).hasMatch();
}

RunRecord::RunRecord(int fd, QString path) : mFd(fd), mPath(std::move(path)) {}

RunRecord::~RunRecord()
{
    if (mFd >= 0)
        ::close(mFd);
}

std::unique_ptr<RunRecord> RunRecord::Create(const QString& runId)
{
    // A start cleaning up may remove an empty private folder between its
    // making and the record's: once more then.
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            // Made under another name and given the run's once its lock is
            // held, so that a start cleaning up never takes it for a record
            // nobody holds.
            const QString path = MakeFolderUnderSharedName(sharedFolder()) + QLatin1Char('/') + runId;
            const QString building = path + QStringLiteral(".new");
            const int fd = OpenPrivateFile(building, O_RDWR | O_APPEND | O_EXCL);
            if (fd < 0)
                continue;
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0
                || ::rename(EncodeFileName(building).constData(), EncodeFileName(path).constData()) != 0) {
                ::unlink(EncodeFileName(building).constData());
                ::close(fd);
                continue;
            }
            return std::unique_ptr<RunRecord>(new RunRecord(fd, path));
        } catch (const RuntimeError&) {
        }
    }
    return nullptr;
}

void RunRecord::note(Kind kind, const QString& path)
{
    std::lock_guard guard(mLock);
    mEntries.append({kind, path});
    // One write per entry: a kill leaves whole entries, or a last one cut
    // short that the reader drops.
    WriteAll(mFd, encode(kind, path));
}

QStringList RunRecord::noted(Kind kind) const
{
    std::lock_guard guard(mLock);
    QStringList paths;
    for (const Entry& entry : mEntries)
        if (entry.kind == kind)
            paths << entry.path;
    return paths;
}

bool RunRecord::removeNoted()
{
    QList<Entry> entries;
    {
        std::lock_guard guard(mLock);
        entries = mEntries;
    }
    return Remove(entries, QString(), nullptr);
}

void RunRecord::discard()
{
    ::unlink(EncodeFileName(mPath).constData());
    ::close(mFd);
    mFd = -1;
}

QList<RunRecord::Entry> RunRecord::Read(int fd)
{
    QByteArray bytes;
    char buffer[4096];
    ssize_t got;
    while ((got = ::pread(fd, buffer, sizeof buffer, bytes.size())) > 0 || (got < 0 && errno == EINTR))
        if (got > 0)
            bytes.append(buffer, static_cast<int>(got));
    QList<Entry> entries;
    for (qsizetype at = 0; at + 5 <= bytes.size();) {
        const auto kind = static_cast<Kind>(bytes[at]);
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at + 1);
        if (length > static_cast<quint64>(bytes.size() - at - 5))
            break; // cut short by a kill
        const QByteArray name = bytes.mid(at + 5, length);
        at += 5 + length;
        // A name a system call would read only up to a NUL is not the
        // name that was noted; only absolute names are ever noted.
        if (!name.contains('\0') && name.startsWith('/'))
            entries.append({kind, DecodeFileName(name)});
    }
    return entries;
}

bool RunRecord::Remove(const QList<Entry>& entries, const QString& runId, RunFolderRemover removeRunFolder)
{
    bool removed = true;
    for (const Entry& entry : entries) {
        switch (entry.kind) {
        case Kind::Socket:
            RemoveOwnFile(entry.path, S_IFSOCK);
            break;
        case Kind::Folder:
            if (isOwnFolder(entry.path))
                removed = RunFolder::RemoveTree(entry.path) && removed;
            break;
        case Kind::RunFolder:
            if (removeRunFolder)
                removeRunFolder(entry.path, runId);
            break;
        }
    }
    return removed;
}

void RunRecord::CleanEndedRuns(RunFolderRemover removeRunFolder)
{
    const QString shared = sharedFolder();
    for (const QString& folder : FoldersUnderSharedName(shared)) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            // A record still being made has ".new" after the run id (and
            // nothing in it).
            const QString runId = name.endsWith(QStringLiteral(".new")) ? name.chopped(4) : name;
            if (!IsRunId(runId))
                continue;
            const QByteArray path = EncodeFileName(dir.filePath(name));
            const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0)
                continue;
            struct stat info {};
            // A live run holds its record's lock.
            if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid()
                && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                // What could not be removed is tried again at the next start.
                if (Remove(Read(fd), runId, removeRunFolder))
                    ::unlink(path.constData());
            }
            ::close(fd);
        }
        if (folder != shared)
            ::rmdir(EncodeFileName(folder).constData()); // once no record is left in it
    }
}

} // namespace platform
