// SPDX-License-Identifier: MPL-2.0
#include "engine/office/OfficePipes.h"

#include "engine/office/UnoRuntime.h"
#include "platform/files/FileNames.h"
#include "platform/files/TempFiles.h"

#include <QCryptographicHash>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

} // namespace

QString OfficePipes::NewName()
{
    return QStringLiteral("tallowin-") + platform::UnguessableText();
}

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
        platform::RemoveOwnFile(file, S_IFSOCK);
}

OfficePipes::Listener OfficePipes::Check(const QString& name, pid_t office)
{
    const QByteArray path = platform::EncodeFileName(pipeFile(name));
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT ? Listener::Nobody : Listener::Stranger;
    // In /tmp (sticky) nobody else can remove or replace a file of ours.
    if (!S_ISSOCK(info.st_mode) || info.st_uid != ::geteuid())
        return Listener::Stranger;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof address.sun_path)
        return Listener::Stranger;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Listener::Nobody;
    Listener listener = Listener::Nobody; // not listening yet
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        ucred peer{};
        socklen_t size = sizeof peer;
        const bool known = ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0;
        listener = known && peer.uid == ::geteuid() && peer.pid == office ? Listener::Office : Listener::Stranger;
    }
    ::close(fd);
    return listener;
}

} // namespace engine
