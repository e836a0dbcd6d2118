#include "platform/MemoryFolder.h"

#include "platform/FileNames.h"
#include "platform/RunFolder.h"
#include "platform/RuntimeError.h"
#include "platform/TempFiles.h"

#include <QFile>
#include <QStringList>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {

namespace {

// Where memory-backed folders may be: the runtime folder the session
// manager made for this user (private by definition), and /dev/shm.
QStringList candidates()
{
    QStringList bases;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && runtime.startsWith(QLatin1Char('/')))
        bases << runtime;
    bases << QStringLiteral("/dev/shm");
    return bases;
}

bool usable(const QString& base)
{
    const QByteArray native = EncodeFileName(base);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || ::access(native.constData(), W_OK | X_OK) != 0)
        return false;
    struct statfs fs {};
    return ::statfs(native.constData(), &fs) == 0 && static_cast<unsigned long>(fs.f_type) == TMPFS_MAGIC;
}

QString folderOf(const QString& base, const QString& runId)
{
    return base + QStringLiteral("/tallowin-engine-%1-%2").arg(::geteuid()).arg(runId);
}

} // namespace

QString MemoryFolder::Create(const QString& runId)
{
    for (const QString& base : candidates()) {
        if (!usable(base))
            continue;
        const QString folder = folderOf(base, runId);
        try {
            MakePrivateFolder(folder);
            return folder;
        } catch (const RuntimeError&) {
        }
    }
    return QString();
}

void MemoryFolder::RemoveForRun(const QString& runId)
{
    for (const QString& base : candidates()) {
        const QString folder = folderOf(base, runId);
        struct stat info {};
        // Only a folder of this user, not a link.
        if (::lstat(EncodeFileName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode)
            && info.st_uid == ::geteuid())
            RunFolder::RemoveTree(folder);
    }
}

} // namespace platform
