// SPDX-License-Identifier: MPL-2.0
#include "platform/files/MemoryFolder.h"

#include "platform/files/FileNames.h"
#include "platform/files/RunRecord.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

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

} // namespace

QString MemoryFolder::Create(RunRecord* record)
{
    const QString name = QStringLiteral("tallowin-engine-%1-%2").arg(::geteuid()).arg(UnguessableText());
    for (const QString& base : candidates()) {
        if (!usable(base))
            continue;
        const QString folder = base + QLatin1Char('/') + name;
        if (record)
            record->note(RunRecord::Kind::Folder, folder);
        try {
            MakePrivateFolder(folder);
            return folder;
        } catch (const RuntimeError&) {
        }
    }
    return QString();
}

} // namespace platform
