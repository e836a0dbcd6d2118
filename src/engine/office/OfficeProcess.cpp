// SPDX-License-Identifier: MPL-2.0
#include "engine/office/OfficeProcess.h"

#include "engine/office/NetworkBlock.h"
#include "platform/files/FileNames.h"
#include "platform/automation/RuntimeError.h"

#include <QFile>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <ctime>
#include <unistd.h>
#include <vector>

extern char** environ;

using platform::RuntimeError;

namespace engine {

namespace {

// Process groups of the offices alive, for KillAll. Plain atomics: KillAll
// runs in end hooks and exit handlers, where no lock may be taken.
constexpr int kSlots = 64;
std::atomic<pid_t> gGroups[kSlots];

void remember(pid_t group)
{
    for (auto& slot : gGroups) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, group))
            return;
    }
}

void forget(pid_t group)
{
    for (auto& slot : gGroups) {
        pid_t expected = group;
        if (slot.compare_exchange_strong(expected, 0))
            return;
    }
}

QString variableName(const QString& entry)
{
    return entry.left(entry.indexOf(QLatin1Char('=')));
}

} // namespace

QString OfficeProcess::ExitStatus::describe() const
{
    if (signalled)
        return QStringLiteral("killed by signal %1 (%2)").arg(code).arg(QString::fromLocal8Bit(strsignal(code)));
    return QStringLiteral("ended with exit code %1").arg(code);
}

OfficeProcess::OfficeProcess(QString executable, QStringList arguments, QStringList environment)
    : mExecutable(std::move(executable)), mArguments(std::move(arguments)), mEnvironment(std::move(environment))
{
}

OfficeProcess::~OfficeProcess()
{
    stop();
}

void OfficeProcess::start()
{
    // Everything the child needs is prepared before fork: between fork and
    // exec only async-signal-safe calls are allowed.
    CStrings argv = commandLine();
    CStrings envp = environmentBlock();
    const pid_t parent = ::getpid();
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        throw startFailure(errno);
    const pid_t child = ::fork();
    if (child < 0) {
        const int err = errno;
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        throw startFailure(err);
    }
    if (child == 0)
        RunOffice(parent, argv.pointers.data(), envp.pointers.data(), errorPipe[1]);
    ::setpgid(child, child); // also from here, so that the group exists at once
    ::close(errorPipe[1]);
    // The pipe closes when exec succeeds; else it carries exec's error.
    int childError = 0;
    ssize_t got;
    do {
        got = ::read(errorPipe[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    ::close(errorPipe[0]);
    mExit.reset();
    mPid = child;
    remember(child);
    if (got == sizeof childError) {
        reap(true);
        throw startFailure(childError);
    }
}

OfficeProcess::CStrings OfficeProcess::commandLine() const
{
    CStrings argv;
    argv.add(platform::EncodeFileName(mExecutable));
    for (const QString& a : mArguments)
        argv.add(a.toUtf8());
    return std::move(argv).finish();
}

OfficeProcess::CStrings OfficeProcess::environmentBlock() const
{
    // The program's environment, with the office's own variables in place
    // of any of the same name.
    QStringList names;
    for (const QString& e : mEnvironment)
        names << variableName(e);
    CStrings envp;
    for (char** e = environ; e && *e; ++e) {
        if (!names.contains(variableName(QString::fromLocal8Bit(*e))))
            envp.add(QByteArray(*e));
    }
    for (const QString& e : mEnvironment)
        envp.add(e.toUtf8());
    return std::move(envp).finish();
}

RuntimeError OfficeProcess::startFailure(int error) const
{
    return RuntimeError(RuntimeError::CannotCreateObject,
                        QStringLiteral("Cannot start the office %1: %2")
                            .arg(mExecutable, QString::fromLocal8Bit(std::strerror(error))),
                        QStringLiteral("Office engine"));
}

void OfficeProcess::RunOffice(pid_t parent, char* const* argv, char* const* envp, int errorPipe)
{
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) // the program ended before the line above
        ::_exit(127);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Whatever the office creates (its pipes in /tmp above all, whose mode
    // follows the umask: anybody who can connect to them controls the
    // office) is for this user alone.
    ::umask(077);
    // No network, whatever a document makes the office try. Where the kernel
    // offers no filter the office's settings still keep it from fetching
    // what documents link.
    NetworkBlock::ApplyToThisProcess();
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        // The office must not hold the program's output open.
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
    }
    // Nothing else of the program's is inherited (the error pipe is
    // close-on-exec and closes itself when exec succeeds).
    ::syscall(SYS_close_range, 3u, static_cast<unsigned>(errorPipe) - 1u, 0u);
    ::syscall(SYS_close_range, static_cast<unsigned>(errorPipe) + 1u, ~0u, 0u);
    ::execve(argv[0], argv, envp);
    const int err = errno;
    [[maybe_unused]] auto written = ::write(errorPipe, &err, sizeof err);
    ::_exit(127);
}

bool OfficeProcess::isRunning()
{
    reap(false);
    const pid_t pid = mPid.load();
    if (pid == 0)
        return false;
    // A process killed with many threads is a zombie before it can be
    // reaped: it counts as ended already.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.read(512);
        const int close = text.lastIndexOf(')');
        if (close > 0 && close + 2 < text.size() && (text[close + 2] == 'Z' || text[close + 2] == 'X')) {
            reap(true);
            return false;
        }
    }
    return true;
}

std::optional<OfficeProcess::ExitStatus> OfficeProcess::exitStatus()
{
    reap(false);
    std::lock_guard guard(mReapLock);
    return mExit;
}

void OfficeProcess::reap(bool block)
{
    std::lock_guard guard(mReapLock);
    const pid_t pid = mPid.load();
    if (pid == 0)
        return;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return;
    ExitStatus exit;
    if (r == pid) {
        exit.signalled = WIFSIGNALED(status);
        exit.code = exit.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
    } else {
        exit.signalled = true; // reaped elsewhere: nothing more to learn
        exit.code = SIGKILL;
    }
    // Helpers the office may have started die with their group.
    ::kill(-pid, SIGKILL);
    forget(pid);
    mExit = exit;
    mPid = 0;
}

void OfficeProcess::killNow()
{
    const pid_t pid = mPid.load();
    if (pid != 0)
        ::kill(-pid, SIGKILL);
}

void OfficeProcess::stop()
{
    killNow();
    reap(true);
}

qint64 OfficeProcess::statusField(const char* field) const
{
    const pid_t pid = mPid.load();
    if (pid == 0)
        return 0;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith(key)) {
            const QList<QByteArray> parts = line.mid(key.size()).simplified().split(' ');
            return parts.value(0).toLongLong() * 1024; // reported in kB
        }
    }
    return 0;
}

qint64 OfficeProcess::residentBytes() const
{
    return statusField("VmRSS");
}

qint64 OfficeProcess::peakResidentBytes() const
{
    return statusField("VmHWM");
}

void OfficeProcess::KillAll()
{
    for (auto& slot : gGroups) {
        const pid_t group = slot.load();
        if (group != 0)
            ::kill(-group, SIGKILL);
    }
    // Wait (briefly) until they are gone, so that nothing writes into the
    // folders removed next.
    for (auto& slot : gGroups) {
        const pid_t group = slot.load();
        if (group == 0)
            continue;
        for (int i = 0; i < 200; ++i) { // at most about 2 s
            const pid_t r = ::waitpid(group, nullptr, WNOHANG);
            if (r == group || (r < 0 && errno == ECHILD))
                break;
            const timespec pause{0, 10 * 1000 * 1000};
            ::nanosleep(&pause, nullptr);
        }
    }
}

} // namespace engine
