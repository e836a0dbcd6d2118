// SPDX-License-Identifier: MPL-2.0
#include "platform/desktop/Program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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

namespace {
int gSignalPipe[2] = {-1, -1};

// Only what is safe in a signal handler: pass the number on, or, when one is
// already on its way, end now.
void onEndSignal(int number)
{
    static volatile sig_atomic_t pending = 0;
    if (pending) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    pending = 1;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[1], &byte, 1);
}
} // namespace

void EndProgramOnSignals()
{
    if (gSignalPipe[0] >= 0 || ::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        unsigned char number = 0;
        if (::read(gSignalPipe[0], &number, 1) == 1)
            EndProgram(128 + number);
    });
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
}

void SetEndProgramHandler(std::function<void(int)> handler)
{
    endHandler() = std::move(handler);
}

namespace {
std::atomic<bool> gLeaving{false};
}

bool IsLeaving()
{
    return gLeaving.load();
}

void MarkLeaving()
{
    gLeaving = true;
}

void EndProgram(int exitCode)
{
    if (endHandler()) {
        endHandler()(exitCode);
        std::abort(); // the handler must not return
    }
    MarkLeaving();
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
