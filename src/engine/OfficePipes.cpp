#include "engine/OfficePipes.h"

#include "engine/UnoRuntime.h"
#include "platform/FileNames.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <unistd.h>

namespace engine {

namespace {

// Where the office's runtime puts its named pipes, whatever TMPDIR says.
const QString kPipeFolder = QStringLiteral("/tmp");

QString pipeFile(const QString& name)
{
    return kPipeFolder + QStringLiteral("/OSL_PIPE_%1_%2").arg(::getuid()).arg(name);
}

QString singleInstancePipe(const QString& profileFolder)
{
    const QString url = OfficePipes::ProfileUrl(profileFolder);
    QByteArray utf16;
    utf16.reserve(url.size() * 2);
    for (const QChar c : url) {
        utf16.append(static_cast<char>(c.unicode() & 0xFF));
        utf16.append(static_cast<char>(c.unicode() >> 8));
    }
    // Each byte in hexadecimal without a leading zero, as the office writes it.
    const QByteArray digest = QCryptographicHash::hash(utf16, QCryptographicHash::Md5);
    QString name = QStringLiteral("SingleOfficeIPC_");
    for (const char byte : digest)
        name += QString::number(static_cast<unsigned char>(byte), 16);
    return pipeFile(name);
}

void removeFile(const QString& path)
{
    ::unlink(platform::EncodeFileName(path).constData());
}

} // namespace

QString OfficePipes::ProfileUrl(const QString& profileFolder)
{
    return UnoRuntime::ToQString(UnoRuntime::FileUrl(profileFolder));
}

QStringList OfficePipes::FilesOf(const QString& acceptPipeName, const QString& profileFolder)
{
    return {pipeFile(acceptPipeName), singleInstancePipe(profileFolder)};
}

void OfficePipes::Remove(const QString& acceptPipeName, const QString& profileFolder)
{
    for (const QString& file : FilesOf(acceptPipeName, profileFolder))
        removeFile(file);
}

QString OfficePipes::PrefixForRun(const QString& runId)
{
    return QStringLiteral("tallowin-") + runId;
}

void OfficePipes::RemoveForRun(const QString& runFolder, const QString& runId)
{
    const QDir pipes(kPipeFolder);
    const QString acceptPrefix = QStringLiteral("OSL_PIPE_%1_%2").arg(::getuid()).arg(PrefixForRun(runId));
    const QStringList accepted = pipes.entryList({acceptPrefix + QLatin1Char('*')}, QDir::System | QDir::Files);
    for (const QString& name : accepted)
        removeFile(pipes.filePath(name));
    const QDir run(runFolder);
    const QStringList offices = run.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& office : offices)
        removeFile(singleInstancePipe(run.filePath(office) + QStringLiteral("/profile")));
}

} // namespace engine
