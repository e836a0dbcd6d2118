// SPDX-License-Identifier: MPL-2.0
#include "fs/clsFileSystem.h"

#include "platform/desktop/Dialogs.h"
#include "platform/files/FileNames.h"
#include "platform/desktop/Program.h"
#include "platform/files/RunFolder.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kUnknown = QStringLiteral("Unknown");

// Drops blanks (spaces only) at both ends, leaving tabs and other white space.
QString TrimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

// A locale's time format without its time-zone part.
QString WithoutTimeZone(const QString& format)
{
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        result += c;
    }
    return result.trimmed();
}

// A date and time in the locale's short date format and its full time of day
// (seconds included, no time zone): the form people read dates in here.
QString FormatDateTime(const QDateTime& moment)
{
    const QLocale locale;
    return locale.toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(moment.time(), WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

void ShowMessage(const QString& text)
{
    platform::MsgBox(text);
}

// The seven-line box that reports an unexpected failure of fnGetTempPath.
void ShowErrorReport(const platform::RuntimeError& error)
{
    const QStringList lines{
        QStringLiteral("Unexpected Error Returned"),
        QStringLiteral("At   modGetTempFile  fnGetTempPath"),
        QStringLiteral("Nmbr ") + QString::number(error.number()),
        QStringLiteral("Desc ") + error.description(),
        QStringLiteral("Srce ") + error.source(),
        QStringLiteral("Time ") + FormatDateTime(QDateTime::currentDateTime()),
        QStringLiteral("Path ") + platform::AppPath(),
    };
    platform::MsgBox(lines.join(QStringLiteral("\r\n")), platform::MsgButtons::OK, platform::MsgIcon::Critical,
                     QStringLiteral("You have a Problem!"));
}

bool StatPath(const QString& path, struct stat& info)
{
    if (path.isEmpty())
        return false;
    const QByteArray native = platform::EncodeFileName(path);
    return ::stat(native.constData(), &info) == 0;
}

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// Read-only here means that nobody may write to the file: no write
// permission bit is set.
bool IsReadOnly(const struct stat& info)
{
    return (info.st_mode & kWriteBits) == 0;
}

// Removes a file. A folder is not a file, and a read-only file is kept, as
// the owner marked it so; the file system would otherwise let its folder's
// owner remove it.
bool RemoveFile(const QString& path)
{
    struct stat info;
    const QByteArray native = platform::EncodeFileName(path);
    if (path.isEmpty() || ::lstat(native.constData(), &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode))
        return false;
    if (!S_ISLNK(info.st_mode) && IsReadOnly(info))
        return false;
    return ::unlink(native.constData()) == 0;
}

// Copies the file `source` to `destination`, replacing a destination file.
// The copy is written beside the destination and put in its place only when
// complete, so a failed copy leaves the destination as it was. Copying a file
// onto itself is refused: it would gain nothing and risks the only copy.
bool CopyOneFile(const QString& source, const QString& destination)
{
    struct stat sourceInfo;
    if (!StatPath(source, sourceInfo) || !S_ISREG(sourceInfo.st_mode) || destination.isEmpty())
        return false;
    struct stat destinationInfo;
    if (StatPath(destination, destinationInfo)) {
        // Only a file is replaced, and a read-only one is kept as it is.
        if (!S_ISREG(destinationInfo.st_mode) || IsReadOnly(destinationInfo))
            return false;
        if (destinationInfo.st_dev == sourceInfo.st_dev && destinationInfo.st_ino == sourceInfo.st_ino)
            return false;
    }

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 kChunk = 1 << 20;
    QByteArray buffer;
    for (;;) {
        buffer = in.read(kChunk);
        if (buffer.isEmpty())
            break;
        if (out.write(buffer) != buffer.size()) {
            out.cancelWriting();
            break;
        }
    }
    if (in.error() != QFileDevice::NoError)
        out.cancelWriting();
    if (!out.commit())
        return false;
    // The copy carries the source's permissions, read-only included.
    QFile::setPermissions(destination, in.permissions());
    return true;
}

// Replaces the permission bits' write part: none for read-only, the owner's
// for every other attribute set (this host keeps no hidden, system or archive
// flag that could be set on a file without renaming it).
void SetWritable(const QString& path, bool writable)
{
    struct stat info;
    if (!StatPath(path, info))
        return;
    mode_t mode = info.st_mode & 07777;
    mode = writable ? (mode | S_IWUSR) : (mode & ~kWriteBits);
    const QByteArray native = platform::EncodeFileName(path);
    (void)::chmod(native.constData(), mode);
}

} // namespace

clsFileSystem::clsFileSystem(PathStyle style) : mStyle(style) {}

QString clsFileSystem::Separator() const
{
    return mStyle == PathStyle::Windows ? QStringLiteral("\\") : QStringLiteral("/");
}

QString clsFileSystem::JoinPath(const QString& folder, const QString& name) const
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(Separator()))
        return folder + name;
    return folder + Separator() + name;
}

bool clsFileSystem::IsSeparator(QChar c) const
{
    if (mStyle == PathStyle::Windows)
        return c == QLatin1Char('\\') || c == QLatin1Char(':');
    return c == QLatin1Char('/');
}

QString clsFileSystem::fnGetTempPath(const QString& sOptPrefix, const QString& sOptDir) const
{
    try {
        const QString prefix = TrimBlanks(sOptPrefix);
        QString folder = TrimBlanks(sOptDir);
        // The program's own temporary files (the jobs' copies of the
        // documents) stay in its private run folder, closed to others, and
        // go with it, also when the program is killed.
        if (folder.size() <= 1)
            return platform::RunFolder::Instance().createTempFile(prefix);
        if (!folder.endsWith(Separator()))
            folder += Separator();
        return platform::CreateTempFile(folder, prefix);
    } catch (const platform::RuntimeError& error) {
        ShowErrorReport(error);
        return QString();
    }
}

QString clsFileSystem::GetFileExtension(const QString& FileName) const
{
    // The character k places before the end (k = 1 is the second-to-last);
    // a text too short for that position is tested on its first character.
    const qsizetype length = FileName.size();
    if (length == 0)
        return kUnknown;
    for (qsizetype k = 1; k <= 4; ++k) {
        const qsizetype index = std::max<qsizetype>(length - 1 - k, 0);
        if (FileName.at(index) == QLatin1Char('.'))
            return FileName.right(k);
    }
    return kUnknown;
}

QString clsFileSystem::GetFileBaseName(const QString& FileName, bool IncludePath) const
{
    qsizetype dot = -1;
    qsizetype separator = -1;
    for (qsizetype i = FileName.size() - 1; i >= 0; --i) {
        const QChar c = FileName.at(i);
        if (IsSeparator(c)) {
            separator = i;
            break;
        }
        if (dot < 0 && c == QLatin1Char('.'))
            dot = i;
    }
    if (IncludePath)
        return dot >= 0 ? FileName.left(dot) : FileName;
    const qsizetype start = separator + 1;
    return dot >= 0 ? FileName.mid(start, dot - start) : FileName.mid(start);
}

QString clsFileSystem::GetFileName(const QString& Path) const
{
    const qsizetype last = Path.lastIndexOf(Separator());
    return last < 0 ? Path : Path.mid(last + 1);
}

QString clsFileSystem::GetPath(const QString& PathFile) const
{
    const qsizetype last = PathFile.lastIndexOf(Separator());
    return last < 0 ? Separator() : PathFile.left(last + 1);
}

void clsFileSystem::DeleteFile(const QString& FileName) const
{
    if (!RemoveFile(FileName))
        ShowMessage(QStringLiteral("Error deleting File"));
}

bool clsFileSystem::FileExist(const QString& strFile) const
{
    struct stat info;
    return StatPath(strFile, info);
}

bool clsFileSystem::FileReal(const QString& FileName) const
{
    // A directory look-up of the text finds an entry of exactly that name
    // only when the text is the bare name of a visible file in the current
    // folder: no folder part, no wildcard match, no hidden file, no folder.
    if (FileName.isEmpty() || FileName.contains(QLatin1Char('/')) || FileName.startsWith(QLatin1Char('.')))
        return false;
    if (mStyle == PathStyle::Windows && (FileName.contains(QLatin1Char('\\')) || FileName.contains(QLatin1Char(':'))))
        return false;
    struct stat info;
    return StatPath(QDir::current().filePath(FileName), info) && S_ISREG(info.st_mode);
}

void clsFileSystem::Save(const QString& FileName) const
{
    if (!FileReal(FileName))
        return;
    if (platform::MsgBox(QStringLiteral("Overwrite File?"), platform::MsgButtons::YesNo) == platform::MsgResult::Yes)
        DeleteFile(FileName);
}

QString clsFileSystem::GetFileSize(const QString& FileName) const
{
    struct stat info;
    if (!StatPath(FileName, info) || !S_ISREG(info.st_mode))
        return QStringLiteral("0B");
    const qint64 length = info.st_size;
    if (length < 1024)
        return QString::number(length) + QLatin1Char('B');

    // length / 1024 rounded half up to four decimals, in whole numbers so
    // that no size is too large and no rounding is off by binary fractions.
    // The remainder is at most 1023/1024 = 0.99902..., so rounding never
    // carries into the whole part.
    const qint64 whole = length / 1024;
    const qint64 tenThousandths = ((length % 1024) * 10000 + 512) / 1024;
    QString text = QString::number(whole);
    if (tenThousandths != 0) {
        QString decimals = QStringLiteral("%1").arg(tenThousandths, 4, 10, QLatin1Char('0'));
        while (decimals.endsWith(QLatin1Char('0')))
            decimals.chop(1);
        text += QLocale().decimalPoint() + decimals;
    }
    return text + QStringLiteral("KB");
}

// Attributes on this host:
//   ReadOnly  no write permission bit is set (for owner, group or others);
//   Hidden    the name starts with "." ("." and ".." themselves excepted);
//   Directory a folder;
//   Archive   a regular file (the flag a file carries until backed up, which
//             this host does not keep: every file counts as not backed up);
//   System, Volume and Alias never (links are followed to what they name).
// Anything else (a device, a pipe, a socket) carries no attribute: Normal.
QString clsFileSystem::GetAttrib(const QString& FileName) const
{
    struct stat info;
    if (!StatPath(FileName, info))
        return kUnknown;
    int value = Normal;
    if (IsReadOnly(info))
        value |= ReadOnly;
    const QString name = QFileInfo(FileName).fileName();
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") && name != QLatin1String(".."))
        value |= Hidden;
    if (S_ISDIR(info.st_mode))
        value |= Directory;
    else if (S_ISREG(info.st_mode))
        value |= Archive;

    switch (value) {
    case Normal: return QStringLiteral("Normal");
    case ReadOnly: return QStringLiteral("ReadOnly");
    case Hidden: return QStringLiteral("Hidden");
    case System: return QStringLiteral("System");
    case Volume: return QStringLiteral("Volume");
    case Directory: return QStringLiteral("Directory");
    case Archive: return QStringLiteral("Archive");
    case Alias: return QStringLiteral("Alias");
    default: return QString::number(value);
    }
}

// Setting exactly one attribute replaces the others. Of the attributes this
// host keeps, only read-only can be set or cleared in place: SetReadOnly
// removes every write permission, the others give the owner write permission
// back. Hidden cannot be set without renaming the file, and system has no
// counterpart here; those parts are ignored.
void clsFileSystem::SetReadOnly(const QString& FileName) const
{
    SetWritable(FileName, false);
}

void clsFileSystem::SetHidden(const QString& FileName) const
{
    SetWritable(FileName, true);
}

void clsFileSystem::SetSystem(const QString& FileName) const
{
    SetWritable(FileName, true);
}

void clsFileSystem::SetNormal(const QString& FileName) const
{
    SetWritable(FileName, true);
}

QString clsFileSystem::GetFileDate(const QString& FileName) const
{
    struct stat info;
    if (!StatPath(FileName, info))
        return QString();
    const QDateTime changed = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(info.st_mtime));
    return FormatDateTime(changed);
}

void clsFileSystem::CopyFile(const QString& Source, const QString& Destination) const
{
    if (!CopyOneFile(Source, Destination))
        ShowMessage(QStringLiteral("Error copying File"));
}

void clsFileSystem::MoveFile(const QString& Source, const QString& Destination) const
{
    if (!CopyOneFile(Source, Destination) || !RemoveFile(Source))
        ShowMessage(QStringLiteral("Error moving File"));
}

void clsFileSystem::MakeDIR(const QString& Path) const
{
    const QByteArray native = platform::EncodeFileName(Path);
    if (Path.isEmpty() || ::mkdir(native.constData(), 0777) != 0)
        ShowMessage(QStringLiteral("Error creating Directory"));
}

void clsFileSystem::RemoveDIR(const QString& Path) const
{
    const QByteArray native = platform::EncodeFileName(Path);
    if (Path.isEmpty() || ::rmdir(native.constData()) != 0)
        ShowMessage(QStringLiteral("Error removing Directory"));
}

void clsFileSystem::CloseAllFiles() const {}
