#include "platform/Program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace platform {

namespace {
QList<std::function<void()>>& hooks()
{
    static QList<std::function<void()>> list;
    return list;
}
std::function<void(int)>& endHandler()
{
    static std::function<void(int)> handler;
    return handler;
}
QString& appPathOverride()
{
    static QString path;
    return path;
}
} // namespace

void AddEndHook(std::function<void()> hook)
{
    hooks().append(std::move(hook));
}

void RunEndHooks()
{
    // Run each hook once, newest first, even if EndProgram is reached twice.
    auto list = std::exchange(hooks(), {});
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        (*it)();
}

void SetEndProgramHandler(std::function<void(int)> handler)
{
    endHandler() = std::move(handler);
}

void EndProgram(int exitCode)
{
    if (endHandler()) {
        endHandler()(exitCode);
        std::abort(); // the handler must not return
    }
    RunEndHooks();
    std::fflush(nullptr);
    ::_exit(exitCode);
}

QString AppPath()
{
    if (!appPathOverride().isEmpty())
        return appPathOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QStringLiteral(".");
}

void SetAppPath(const QString& path)
{
    appPathOverride() = path;
}

QString DataFile(const QString& name)
{
    const QDir executableFolder(AppPath());
    const QString beside = executableFolder.filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(
        executableFolder.filePath(QStringLiteral(TALLOWIN_DATA_FROM_BIN "/") + name));
    return QFileInfo::exists(installed) ? installed : beside;
}

QString AppTitle()
{
    return QStringLiteral("Tallowin");
}

int VersionMajor() { return TALLOWIN_VERSION_MAJOR; }
int VersionMinor() { return TALLOWIN_VERSION_MINOR; }
int VersionRevision() { return TALLOWIN_VERSION_REVISION; }

} // namespace platform
