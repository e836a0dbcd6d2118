// SPDX-License-Identifier: MPL-2.0
#include "engine/office/OfficeProfile.h"

#include "engine/office/OfficeInstallation.h"
#include "platform/files/FileNames.h"
#include "platform/files/RunFolder.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

// The office's settings, before its first start, so that it writes nothing
// per document beyond what the conversion asks for: no autosave, no recovery
// data, no backup copies, no recent-documents list and no thumbnails
// (locking stays on; the office saves only into its own folder). Untrusted
// documents: the office fetches nothing they link (links carry the
// document's address as their referer, which is not a trusted location) and
// never updates Writer links.
const char kSettings[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Save/Document"><prop oor:name="CreateBackup" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Save/Document"><prop oor:name="AutoSave" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Save/Document"><prop oor:name="GenerateThumbnail" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/History"><prop oor:name="PickListSize" oor:op="fuse"><value>0</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/AutoSave"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/RecoveryInfo"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="BlockUntrustedRefererLinks" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Writer/Content/Update"><prop oor:name="Link" oor:op="fuse"><value>2</value></prop></item>
)";
const char kSettingsEnd[] = "</oor:items>\n";
// The office runs its graphics self-tests at every start until the profile
// names its version as the last one it ran (it never does so itself when
// headless).
const char kLastVersion[] = "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" "
                            "oor:op=\"fuse\"><value>%1</value></prop></item>\n";

const QString kSettingsFile = QStringLiteral("user/registrymodifications.xcu");
const QString kManifestFile = QStringLiteral("manifest");
const QByteArray kHeader = "tallowin office profile 1";
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;
// A staging folder older than this was left by a run that was killed.
constexpr qint64 kStaleStagingSeconds = 3600;

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// What identifies the office installation: its program, its code, its
// version file and its configuration schema, by name, size, time and inode.
QByteArray installationId()
{
    const QString program = OfficeInstallation::ProgramFolder();
    QByteArray id;
    for (const QString& file : {OfficeInstallation::Executable(), program + QStringLiteral("/libmergedlo.so"),
                                program + QStringLiteral("/versionrc"), program + QStringLiteral("/bootstraprc"),
                                program + QStringLiteral("/../share/registry/main.xcd")}) {
        const QByteArray native = platform::EncodeFileName(file);
        struct stat info {};
        id += native + ' ';
        if (::stat(native.constData(), &info) == 0)
            id += QByteArray::number(qint64(info.st_size)) + ' ' + QByteArray::number(qint64(info.st_mtim.tv_sec)) +
                  '.' + QByteArray::number(qint64(info.st_mtim.tv_nsec)) + ' ' +
                  QByteArray::number(quint64(info.st_ino));
        id += '\n';
    }
    return sha256(id);
}

QByteArray settingsId()
{
    return sha256(OfficeProfile::Settings());
}

// The bytes of a regular file of this user that only the user may change,
// not reached through a link; nothing when it is anything else.
std::optional<QByteArray> readOwnFile(const QString& path)
{
    const int fd = ::open(platform::EncodeFileName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<QByteArray> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && !(info.st_mode & 022) &&
        info.st_size <= kMaxFileBytes) {
        QByteArray data(static_cast<qsizetype>(info.st_size), Qt::Uninitialized);
        qsizetype got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        if (got == data.size())
            bytes = std::move(data);
    }
    ::close(fd);
    return bytes;
}

// A relative path inside the profile, as the manifest may name it.
bool isInsideName(const QString& relative)
{
    if (relative.isEmpty() || relative.startsWith(QLatin1Char('/')) || relative.contains(QLatin1Char('\n')))
        return false;
    const QStringList segments = relative.split(QLatin1Char('/'));
    for (const QString& segment : segments)
        if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String(".."))
            return false;
    return segments.first() == QLatin1String("user");
}

// Writes `bytes` as `relative` under `root`, making the private folders on
// the way.
void writeInside(const QString& root, const QString& relative, const QByteArray& bytes)
{
    const QStringList segments = relative.split(QLatin1Char('/'));
    QString folder = root;
    for (qsizetype i = 0; i + 1 < segments.size(); ++i) {
        folder += QLatin1Char('/') + segments[i];
        platform::MakePrivateFolder(folder);
    }
    platform::WritePrivateFile(root + QLatin1Char('/') + relative, bytes);
}

// The files of the profile's user installation that are worth keeping,
// relative to `profile`: not the settings (written before every start) and
// not logs.
QStringList keptFiles(const QString& profile)
{
    QStringList files;
    QDirIterator it(profile + QStringLiteral("/user"), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    const QDir root(profile);
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (relative != kSettingsFile && !relative.endsWith(QLatin1String(".log")) && isInsideName(relative))
            files.append(relative);
    }
    files.sort();
    return files;
}

// The files worth keeping under `root` and their bytes; raises a
// RuntimeError when one cannot be read as a file of this user.
QList<std::pair<QString, QByteArray>> readKeptFiles(const QString& root)
{
    QList<std::pair<QString, QByteArray>> files;
    for (const QString& relative : keptFiles(root)) {
        std::optional<QByteArray> bytes = readOwnFile(root + QLatin1Char('/') + relative);
        if (!bytes)
            throw platform::RuntimeError(platform::RuntimeError::PermissionDenied,
                                         QStringLiteral("Cannot keep %1 of the office profile").arg(relative));
        files.append({relative, std::move(*bytes)});
    }
    return files;
}

// Copies the kept profile into `profile`, checking it on the way; false
// when it is not sound.
bool copyKept(const QString& kept, const QString& profile)
{
    const std::optional<QByteArray> manifest = readOwnFile(kept + QLatin1Char('/') + kManifestFile);
    if (!manifest)
        return false;
    const QList<QByteArray> lines = manifest->split('\n');
    if (lines.size() < 3 || lines[0] != kHeader || lines[1] != "installation " + installationId() ||
        lines[2] != "settings " + settingsId())
        return false;
    int copied = 0;
    for (qsizetype i = 3; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        // "file <size> <sha256> <path>"
        const QList<QByteArray> fields = lines[i].split(' ');
        if (fields.size() < 4 || fields[0] != "file")
            return false;
        const QString relative =
            QString::fromUtf8(lines[i].mid(fields[0].size() + fields[1].size() + fields[2].size() + 3));
        if (!isInsideName(relative) || relative == kSettingsFile)
            return false;
        const std::optional<QByteArray> bytes = readOwnFile(kept + QLatin1Char('/') + relative);
        if (!bytes || QByteArray::number(bytes->size()) != fields[1] || sha256(*bytes) != fields[2])
            return false;
        writeInside(profile, relative, *bytes);
        ++copied;
    }
    return copied > 0;
}

// Moves the kept profile out of the way atomically (a run copying it sees
// all of it or none), then removes it.
void retire(const QString& kept)
{
    const QByteArray native = platform::EncodeFileName(kept);
    QByteArray away = native + ".old-XXXXXX";
    if (!::mkdtemp(away.data()))
        return;
    if (::rename(native.constData(), away.constData()) != 0)
        ::rmdir(away.constData());
    platform::RunFolder::RemoveTree(platform::DecodeFileName(away));
}

// Removes what earlier runs left beside the kept profile: retired copies,
// and staging folders of runs that were killed.
void removeLeftovers(const QString& kept)
{
    const QFileInfo info(kept);
    const QFileInfoList entries = QDir(info.path()).entryInfoList({info.fileName() + QStringLiteral(".*")},
                                                                  QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    const QDateTime stale = QDateTime::currentDateTime().addSecs(-kStaleStagingSeconds);
    for (const QFileInfo& entry : entries) {
        const QString suffix = entry.fileName().mid(info.fileName().size());
        if (suffix.startsWith(QLatin1String(".old-")) ||
            (suffix.startsWith(QLatin1String(".new-")) && entry.lastModified() < stale))
            platform::RunFolder::RemoveTree(entry.filePath());
    }
}

} // namespace

QByteArray OfficeProfile::Settings()
{
    const QString version = OfficeInstallation::ProductVersion();
    QByteArray settings(kSettings);
    if (!version.isEmpty())
        settings += QString::fromLatin1(kLastVersion).arg(version).toUtf8();
    return settings + kSettingsEnd;
}

QString OfficeProfile::Folder()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty() || !QDir::isAbsolutePath(home))
            return QString();
        base = home + QStringLiteral("/.cache");
    }
    base = QDir::cleanPath(base);
    try {
        // A cache folder that is not there yet is made private too,
        // whatever the umask.
        QStringList missing;
        for (QString up = base; !QFileInfo::exists(up) && up != QStringLiteral("/"); up = QFileInfo(up).path())
            missing.prepend(up);
        for (const QString& folder : std::as_const(missing))
            platform::MakePrivateFolder(folder);
        platform::MakePrivateFolder(base + QStringLiteral("/tallowin"));
    } catch (const platform::RuntimeError&) {
        return QString(); // not ours, or a link: not used
    }
    return base + QStringLiteral("/tallowin/office-profile");
}

bool OfficeProfile::Fill(const QString& profile, bool useKept)
{
    platform::MakePrivateFolder(profile);
    platform::MakePrivateFolder(profile + QStringLiteral("/user"));
    bool used = false;
    const QString kept = useKept ? Folder() : QString();
    if (!kept.isEmpty() && QFileInfo::exists(kept)) {
        try {
            used = copyKept(kept, profile);
        } catch (const platform::RuntimeError&) {
            used = false;
        }
        if (!used) {
            // Not sound: the office makes a new profile, which replaces it.
            platform::RunFolder::RemoveTree(profile + QStringLiteral("/user"));
            platform::MakePrivateFolder(profile + QStringLiteral("/user"));
        }
    }
    platform::WritePrivateFile(profile + QLatin1Char('/') + kSettingsFile, Settings());
    return used;
}

QString OfficeProfile::Stage(const QString& profile)
{
    const QString kept = Folder();
    if (kept.isEmpty())
        return QString();
    if (QFileInfo::exists(kept))
        retire(kept); // it did not spare the office this set-up
    removeLeftovers(kept);
    QByteArray staged = platform::EncodeFileName(kept) + ".new-XXXXXX";
    if (!::mkdtemp(staged.data()))
        return QString();
    const QString folder = platform::DecodeFileName(staged);
    try {
        for (const auto& [relative, bytes] : readKeptFiles(profile))
            writeInside(folder, relative, bytes);
    } catch (const platform::RuntimeError&) {
        Drop(folder);
        return QString();
    }
    return folder;
}

void OfficeProfile::Keep(const QString& staged)
{
    if (staged.isEmpty())
        return;
    QByteArray manifest = kHeader + "\ninstallation " + installationId() + "\nsettings " + settingsId() + '\n';
    try {
        for (const auto& [relative, bytes] : readKeptFiles(staged))
            manifest += "file " + QByteArray::number(bytes.size()) + ' ' + sha256(bytes) + ' ' + relative.toUtf8() + '\n';
        platform::WritePrivateFile(staged + QLatin1Char('/') + kManifestFile, manifest);
    } catch (const platform::RuntimeError&) {
        Drop(staged);
        return;
    }
    // Another run may have kept its own meanwhile: then this one goes.
    if (::rename(platform::EncodeFileName(staged).constData(), platform::EncodeFileName(Folder()).constData()) != 0)
        Drop(staged);
}

void OfficeProfile::Drop(const QString& staged)
{
    if (!staged.isEmpty())
        platform::RunFolder::RemoveTree(staged);
}

} // namespace engine
