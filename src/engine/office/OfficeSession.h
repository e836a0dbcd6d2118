// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/office/OfficeProcess.h"
#include "engine/office/Watchdog.h"

#include <QHash>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>

#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

namespace engine {

// The office room (engine/office): one office, the LibreOffice process the
// engine starts and drives. OfficeSession is its centre: it starts the
// process (OfficeProcess) from a prepared private profile (OfficeProfile)
// with pipes nobody else can take (OfficePipes), connects to it through the
// UNO runtime (UnoRuntime), and watches it (Watchdog); the office runs
// without network (NetworkBlock), answers no question (AbortingInteraction-
// Handler), and is found where it is installed (OfficeInstallation).
//
// One private office at a time, as seen from the engine thread: starts it
// (its own profile, pipe and temporary folder), connects to it, notices when
// it has died, and starts a new one when asked. Every member except
// killFromAnyThread runs on the engine thread.
class OfficeSession final {
public:
    OfficeSession();
    ~OfficeSession();
    OfficeSession(const OfficeSession&) = delete;
    OfficeSession& operator=(const OfficeSession&) = delete;

    // Makes sure a connected office is there, starting one when none is (the
    // first time, after a crash, after a kill, or past the memory limit).
    // Raises a RuntimeError when the office cannot be started.
    void ensureRunning();
    bool isConnected() const { return mConnection != nullptr; }
    // Whether an office process was started and not yet forgotten, and
    // whether it still runs.
    bool hasProcess() const { return mProcess != nullptr; }
    bool isRunning() { return mProcess && mProcess->isRunning(); }

    // The office's document loader; ensureRunning first.
    css::uno::Reference<css::frame::XComponentLoader> loader() const;
    // The office's component context (for creating its services);
    // ensureRunning first.
    css::uno::Reference<css::uno::XComponentContext> context() const;
    // The office's type detection; ensureRunning first.
    css::uno::Reference<css::document::XTypeDetection> typeDetection() const;
    // The document service (a name such as "com.sun.star.text.TextDocument")
    // of an import filter; asked of the office once per filter and session.
    rtl::OUString documentServiceOf(const rtl::OUString& filter);
    // A new, empty model of the given document service, with no frame and no
    // view, ready for XLoadable::load; ensureRunning first.
    css::uno::Reference<css::lang::XComponent> createModel(const rtl::OUString& service);

    // Ends the office now and forgets it; the next ensureRunning starts a new one.
    void stop();
    // Kills the office and forgets it without any call across the bridge
    // (for the end of the server, which may come at process exit).
    void abandon();

    // After a failed call: when the office has died (or the bridge to it is
    // gone: `bridgeGone`), forgets it and returns how it ended; else returns
    // empty text.
    QString checkAfterFailure(bool bridgeGone);

    // Kills the office at once, from any thread (the watchdog).
    void killFromAnyThread();

    // Restarts the office before the next document once its resident memory
    // passes this many bytes (0: never).
    void setMemoryLimit(qint64 bytes) { mMemoryLimit = bytes; }
    // Restarts the office before the next document when it is over the limit.
    void restartIfOverMemoryLimit();

    // The private folder the office stores documents in; ensureRunning first.
    QString saveFolder() const { return mFolder + QStringLiteral("/save"); }
    // The session's private folder (which holds the others); ensureRunning
    // first.
    QString folder() const { return mFolder; }

    // Limit for starting and connecting.
    void setStartLimit(std::chrono::milliseconds limit) { mStartLimit = limit; }
    // After several failed starts in a row, calls fail at once for this long
    // before the office is tried again.
    void setStartRetryPause(std::chrono::milliseconds pause) { mStartRetryPause = pause; }

    Watchdog& watchdog() { return mWatchdog; }
    pid_t officePid() const;
    qint64 officeResidentBytes() const;
    qint64 officePeakResidentBytes() const;
    int startCount() const { return mStarts; }
    // How often an office asked to be started again after setting up a new
    // profile (none when the kept profile served, see OfficeProfile).
    int restartCount() const { return mRestarts; }
    // How long the last start took, from the profile to the connection.
    std::chrono::milliseconds lastStartTime() const { return mLastStartTime; }

private:
    // Starts an office; `useKeptProfile`: from the kept profile when there
    // is a sound one.
    void startOnce(bool useKeptProfile);
    // The steps of a start, in order.
    void prepareFolders(bool useKeptProfile); // the office's folders and profile
    void newPipe();                           // a pipe name of its own, in the profile
    void launch();                            // the process
    css::uno::Reference<css::bridge::XUnoUrlResolver> connector();
    // Waits until the office listens on its pipe and connects; `staged`
    // receives the copy of a new profile to keep.
    css::uno::Reference<css::uno::XInterface> waitForPipe(
        const css::uno::Reference<css::bridge::XUnoUrlResolver>& resolver,
        std::chrono::steady_clock::time_point deadline, QString& staged);
    void startUnderNewName(int takenNames);
    css::uno::Reference<css::uno::XInterface> tryConnect(
        const css::uno::Reference<css::bridge::XUnoUrlResolver>& resolver);
    void restartAfterNewProfile(int restarts, QString& staged);
    void takeDesktop(const css::uno::Reference<css::uno::XInterface>& remote);
    void releaseConnection(bool overBridge);
    void stopProcess();

    std::unique_ptr<OfficeProcess> mProcess;
    // The office's objects, on the heap so that they can be left behind
    // without a call across the bridge.
    struct Connection {
        css::uno::Reference<css::uno::XComponentContext> context;
        css::uno::Reference<css::frame::XComponentLoader> loader;
        css::uno::Reference<css::lang::XMultiComponentFactory> factory;
        css::uno::Reference<css::document::XTypeDetection> detection;
        // Document service by filter name.
        QHash<QString, rtl::OUString> services;
    };
    std::unique_ptr<Connection> mConnection;
    QString mFolder;
    QString mPipeName;
    QString mProfile;
    qint64 mMemoryLimit = 0;
    std::chrono::milliseconds mStartLimit{60000};
    std::chrono::milliseconds mStartRetryPause{15000};
    std::chrono::steady_clock::time_point mLastFailedStart;
    Watchdog mWatchdog;
    std::atomic<pid_t> mKillGroup{0};
    int mStarts = 0;
    int mRestarts = 0;
    std::chrono::milliseconds mLastStartTime{0};
    int mFailedStarts = 0;
    QString mLastStartFailure;
};

} // namespace engine
