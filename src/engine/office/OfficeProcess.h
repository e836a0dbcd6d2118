// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/RuntimeError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace engine {

// One office process, started by the engine itself so that it cannot outlive
// the program: it runs in a process group of its own (the whole group is
// killed at the end) and the kernel kills it when the thread that started it
// ends (PR_SET_PDEATHSIG). That thread must therefore live as long as the
// program: the engine thread starts every office.
class OfficeProcess final {
public:
    struct ExitStatus {
        bool signalled = false;
        int code = 0; // exit code, or the signal number when signalled
        QString describe() const;
    };

    // `environment` entries ("NAME=value") replace or add to the program's own.
    OfficeProcess(QString executable, QStringList arguments, QStringList environment);
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    // Starts the process. Raises a RuntimeError when it cannot be started.
    void start();

    pid_t pid() const { return mPid.load(); }

    // True while the process runs; reaps it once it has ended.
    bool isRunning();
    // How it ended, once it has.
    std::optional<ExitStatus> exitStatus();

    // Kills the process group at once. Safe from any thread (the watchdog).
    void killNow();
    // Kills the process group and waits for the process to end.
    void stop();

    // Resident memory now and at its peak, in bytes (0 when unknown).
    qint64 residentBytes() const;
    qint64 peakResidentBytes() const;

    // Kills every office process the program started and waits (at most a
    // couple of seconds) until they have ended. Lock-free, for end hooks and
    // exit handlers.
    static void KillAll();

private:
    // Texts for exec: the bytes, and the null-terminated pointers to them.
    struct CStrings {
        std::vector<QByteArray> store;
        std::vector<char*> pointers;
        void add(QByteArray text) { store.push_back(std::move(text)); }
        CStrings finish() &&
        {
            for (QByteArray& text : store)
                pointers.push_back(text.data());
            pointers.push_back(nullptr);
            return std::move(*this);
        }
    };
    CStrings commandLine() const;
    CStrings environmentBlock() const;
    platform::RuntimeError startFailure(int error) const;
    // The child between fork and exec: only async-signal-safe calls.
    [[noreturn]] static void RunOffice(pid_t parent, char* const* argv, char* const* envp, int errorPipe);
    void reap(bool block);
    qint64 statusField(const char* field) const;

    QString mExecutable;
    QStringList mArguments;
    QStringList mEnvironment;
    std::atomic<pid_t> mPid{0};
    std::mutex mReapLock;
    std::optional<ExitStatus> mExit;
};

} // namespace engine
