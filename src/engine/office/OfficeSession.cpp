// SPDX-License-Identifier: MPL-2.0
#include "engine/office/OfficeSession.h"

#include "engine/office/OfficeInstallation.h"
#include "engine/office/OfficePipes.h"
#include "engine/office/OfficeProfile.h"
#include "engine/office/UnoRuntime.h"
#include "platform/files/RunFolder.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <utility>

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/ConnectionSetupException.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/DisposedException.hpp>

using namespace css;
using platform::RuntimeError;

namespace engine {

namespace {

const QString kSource = QStringLiteral("Office engine");
// The office asks to be started again once it has set up a new profile.
constexpr int kRestartExitCode = 81;
// After this many failed starts in a row the engine stops trying for each
// document and fails at once, until its pause is over.
constexpr int kMaxFailedStarts = 3;
// An office whose pipe names were taken this many times in a row fails to
// start.
constexpr int kMaxPipeNames = 3;
// How often a starting office is tried for its pipe.
constexpr int kConnectPollMs = 4;

bool localeIsUtf8()
{
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value.toLower().contains("utf-8") || value.toLower().contains("utf8");
    }
    return false;
}

// A copy of a new profile, staged to be kept once the office it was made
// for has been reached; removed unless kept.
struct StagedProfile {
    QString folder;
    ~StagedProfile() { OfficeProfile::Drop(folder); }
};

// The office listens where its private profile says: a command line is
// there for every account to read. The setting replaces the last start's.
void writeAcceptor(const QString& profile, const QString& pipeName)
{
    const QString file = profile + QStringLiteral("/user/registrymodifications.xcu");
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw RuntimeError(RuntimeError::CannotCreateObject,
                           QStringLiteral("Cannot read the office's settings %1").arg(file), kSource);
    const QByteArray item = "<item oor:path=\"/org.openoffice.Setup/Office\"><prop oor:name=\"ooSetupConnectionURL\" "
                            "oor:op=\"fuse\"><value>pipe,name="
                            + pipeName.toUtf8() + ";urp;StarOffice.ComponentContext</value></prop></item>";
    QList<QByteArray> lines;
    for (const QByteArray& line : in.readAll().split('\n')) {
        if (line.contains("</oor:items>"))
            lines << item;
        if (!line.contains("\"ooSetupConnectionURL\""))
            lines << line;
    }
    platform::WritePrivateFile(file, lines.join('\n'));
}

} // namespace

OfficeSession::OfficeSession() = default;

OfficeSession::~OfficeSession()
{
    abandon();
    if (!mFolder.isEmpty())
        platform::RunFolder::RemoveTree(mFolder);
}

void OfficeSession::ensureRunning()
{
    if (mConnection && mProcess && mProcess->isRunning())
        return;
    if (mConnection || mProcess)
        stop(); // it died since the last call
    // An office that cannot start (or is killed at once, as the kernel's
    // out-of-memory killer may do) is not tried for every document: after
    // several failures in a row calls fail at once. It is tried again once a
    // pause has passed, so that a later document or batch gets an office
    // without restarting the program.
    if (mFailedStarts >= kMaxFailedStarts) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            mLastFailedStart + mStartRetryPause - std::chrono::steady_clock::now());
        if (wait.count() > 0)
            throw RuntimeError(RuntimeError::CannotCreateObject,
                               QStringLiteral("The office could not be started (%1 attempts in a row; the next "
                                              "in %2 s): %3")
                                   .arg(mFailedStarts)
                                   .arg((wait.count() + 999) / 1000)
                                   .arg(mLastStartFailure),
                               kSource);
    }
    try {
        startOnce(true);
        mFailedStarts = 0;
    } catch (const RuntimeError&) {
        // A profile damaged by a crash is the usual reason: try once more
        // with a new one, made by the office itself.
        stop();
        if (!mFolder.isEmpty())
            platform::RunFolder::RemoveTree(mFolder);
        mFolder.clear();
        try {
            startOnce(false);
            mFailedStarts = 0;
        } catch (const RuntimeError& second) {
            stop();
            ++mFailedStarts;
            mLastFailedStart = std::chrono::steady_clock::now();
            mLastStartFailure = second.description();
            throw;
        }
    }
}

void OfficeSession::startOnce(bool useKeptProfile)
{
    const auto started = std::chrono::steady_clock::now();
    prepareFolders(useKeptProfile);
    ++mStarts;
    // A new pipe name for every start (see OfficePipes).
    newPipe();
    const auto deadline = started + mStartLimit;
    // The office first: the program's own UNO runtime is set up (the first
    // time) while the office starts.
    launch();
    const uno::Reference<bridge::XUnoUrlResolver> resolver = connector();
    StagedProfile staged;
    const uno::Reference<uno::XInterface> remote = waitForPipe(resolver, deadline, staged.folder);
    takeDesktop(remote);
    if (!staged.folder.isEmpty()) {
        OfficeProfile::Keep(staged.folder);
        staged.folder.clear();
    }
    mLastStartTime = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
}

void OfficeSession::prepareFolders(bool useKeptProfile)
{
    platform::RunFolder& run = platform::RunFolder::Instance();
    if (mFolder.isEmpty() || !QDir(mFolder).exists())
        mFolder = run.newSubfolder(QStringLiteral("office"));
    mProfile = mFolder + QStringLiteral("/profile");
    const QString temp = mFolder + QStringLiteral("/tmp");
    QDir(temp).removeRecursively();
    platform::MakePrivateFolder(temp);
    platform::MakePrivateFolder(saveFolder());
    // A new profile: the kept one when it is sound (see OfficeProfile), else
    // one the office sets up itself. An office started again in this
    // session (after a crash) goes on with the profile it has.
    if (!QFileInfo::exists(mProfile + QStringLiteral("/user")))
        OfficeProfile::Fill(mProfile, useKeptProfile);
}

void OfficeSession::newPipe()
{
    // Noted before the office makes it, so that a killed run's pipes are
    // found; the office reads it from its private profile.
    mPipeName = OfficePipes::NewName();
    for (const QString& file : OfficePipes::FilesOf(mPipeName, mProfile))
        platform::RunFolder::Instance().noteSocket(file);
    writeAcceptor(mProfile, mPipeName);
}

void OfficeSession::launch()
{
    const QString temp = mFolder + QStringLiteral("/tmp");
    // LibreOffice 7.4 has no first-start wizard any more (its
    // --nofirststartwizard does nothing); a new profile makes it exit once
    // with the restart code instead, handled below. Neither the profile nor
    // the pipe shows in the command line (see OfficePipes).
    const QStringList arguments{
        QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--norestore"),
        QStringLiteral("--nologo"),   QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
    };
    QStringList environment{
        QStringLiteral("UserInstallation=") + OfficePipes::ProfileUrl(mProfile),
        // The office's own temporary files stay in the run folder.
        QStringLiteral("TMPDIR=") + temp,
        QStringLiteral("SAL_USE_VCLPLUGIN=svp"),
    };
    // File names travel as UTF-8 URLs; the office turns them back into names
    // with its locale's encoding, so it must be a UTF-8 one.
    if (!localeIsUtf8())
        environment << QStringLiteral("LC_ALL=C.UTF-8");

    mProcess = std::make_unique<OfficeProcess>(OfficeInstallation::Executable(), arguments, environment);
    mProcess->start();
    mKillGroup = mProcess->pid();
}

uno::Reference<bridge::XUnoUrlResolver> OfficeSession::connector()
{
    const uno::Reference<uno::XComponentContext> local =
        UnoRuntime::LocalContext(platform::RunFolder::Instance().path());
    try {
        return bridge::UnoUrlResolver::create(local);
    } catch (const uno::Exception& e) {
        throw RuntimeError(RuntimeError::CannotCreateObject,
                           QStringLiteral("Cannot create the office connector: %1").arg(UnoRuntime::Describe(e)),
                           kSource);
    }
}

uno::Reference<uno::XInterface> OfficeSession::waitForPipe(const uno::Reference<bridge::XUnoUrlResolver>& resolver,
                                                           std::chrono::steady_clock::time_point deadline,
                                                           QString& staged)
{
    int restarts = 0;
    int takenNames = 0;
    for (;;) {
        // Only to the office itself: a socket under its name that is not its
        // own means the name was taken.
        const OfficePipes::Listener listener = OfficePipes::Check(mPipeName, mProcess->pid());
        if (listener == OfficePipes::Listener::Stranger) {
            startUnderNewName(++takenNames);
            continue;
        }
        if (listener == OfficePipes::Listener::Office)
            if (const uno::Reference<uno::XInterface> remote = tryConnect(resolver); remote.is())
                return remote;
        if (!mProcess->isRunning()) {
            restartAfterNewProfile(restarts++, staged);
            continue;
        }
        if (std::chrono::steady_clock::now() > deadline)
            throw RuntimeError(RuntimeError::CannotCreateObject,
                               QStringLiteral("The office %1 did not start within %2 s")
                                   .arg(OfficeInstallation::Executable())
                                   .arg(mStartLimit.count() / 1000.0),
                               kSource);
        QThread::msleep(kConnectPollMs);
    }
}

void OfficeSession::startUnderNewName(int takenNames)
{
    // Taken by another account: the office starts again at once under a new
    // name, a few times before it gives up.
    if (takenNames == kMaxPipeNames)
        throw RuntimeError(RuntimeError::CannotCreateObject,
                           QStringLiteral("The office could not get a pipe of its own: another account "
                                          "holds %1 (%2 names in a row)")
                               .arg(OfficePipes::FilesOf(mPipeName, mProfile).constFirst())
                               .arg(takenNames),
                           kSource);
    mProcess->stop();
    newPipe();
    mProcess->start();
    mKillGroup = mProcess->pid();
}

uno::Reference<uno::XInterface> OfficeSession::tryConnect(const uno::Reference<bridge::XUnoUrlResolver>& resolver)
{
    try {
        return resolver->resolve(UnoRuntime::ToOUString(
            QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(mPipeName)));
    } catch (const connection::NoConnectException&) {
    } catch (const connection::ConnectionSetupException&) {
    } catch (const uno::Exception& e) {
        throw RuntimeError(RuntimeError::CannotCreateObject,
                           QStringLiteral("Cannot connect to the office: %1").arg(UnoRuntime::Describe(e)), kSource);
    }
    return {}; // not listening yet
}

void OfficeSession::restartAfterNewProfile(int restarts, QString& staged)
{
    // An office that has set up a new profile exits to be started again;
    // what it made is kept for the next starts (once this office is
    // reached). Any other end is a failure.
    const auto exit = mProcess->exitStatus();
    if (exit && !exit->signalled && exit->code == kRestartExitCode && restarts < 3) {
        if (restarts == 0)
            staged = OfficeProfile::Stage(mProfile);
        ++mRestarts;
        mProcess->start();
        mKillGroup = mProcess->pid();
        return;
    }
    throw RuntimeError(RuntimeError::CannotCreateObject,
                       QStringLiteral("The office %1 stopped while starting (%2)")
                           .arg(OfficeInstallation::Executable(),
                                exit ? exit->describe() : QStringLiteral("unknown reason")),
                       kSource);
}

void OfficeSession::takeDesktop(const uno::Reference<uno::XInterface>& remote)
{
    try {
        auto connection = std::make_unique<Connection>();
        connection->context.set(remote, uno::UNO_QUERY_THROW);
        const uno::Reference<frame::XDesktop2> desktop = frame::Desktop::create(connection->context);
        connection->loader.set(desktop, uno::UNO_QUERY_THROW);
        // Kept: each document's model comes from it, one call fewer each.
        connection->factory.set(connection->context->getServiceManager(), uno::UNO_SET_THROW);
        connection->detection.set(connection->factory->createInstanceWithContext(
                                      rtl::OUString("com.sun.star.document.TypeDetection"), connection->context),
                                  uno::UNO_QUERY_THROW);
        mConnection = std::move(connection);
    } catch (const uno::Exception& e) {
        throw RuntimeError(RuntimeError::CannotCreateObject,
                           QStringLiteral("The office does not offer its desktop: %1").arg(UnoRuntime::Describe(e)),
                           kSource);
    }
}

void OfficeSession::releaseConnection(bool overBridge)
{
    if (overBridge)
        mConnection.reset();
    else
        (void)mConnection.release(); // left behind untouched: see abandon
}

uno::Reference<frame::XComponentLoader> OfficeSession::loader() const
{
    return mConnection ? mConnection->loader : uno::Reference<frame::XComponentLoader>();
}

uno::Reference<uno::XComponentContext> OfficeSession::context() const
{
    return mConnection ? mConnection->context : uno::Reference<uno::XComponentContext>();
}

uno::Reference<document::XTypeDetection> OfficeSession::typeDetection() const
{
    return mConnection ? mConnection->detection : uno::Reference<document::XTypeDetection>();
}

rtl::OUString OfficeSession::documentServiceOf(const rtl::OUString& filter)
{
    if (!mConnection)
        return rtl::OUString();
    const QString key = UnoRuntime::ToQString(filter);
    const auto known = mConnection->services.constFind(key);
    if (known != mConnection->services.constEnd())
        return *known;
    const uno::Reference<container::XNameAccess> filters(
        mConnection->factory->createInstanceWithContext(rtl::OUString("com.sun.star.document.FilterFactory"),
                                                        mConnection->context),
        uno::UNO_QUERY_THROW);
    uno::Sequence<beans::PropertyValue> description;
    rtl::OUString service;
    if (filters->hasByName(filter) && (filters->getByName(filter) >>= description)) {
        for (const beans::PropertyValue& p : std::as_const(description))
            if (p.Name == "DocumentService")
                p.Value >>= service;
    }
    mConnection->services.insert(key, service);
    return service;
}

uno::Reference<lang::XComponent> OfficeSession::createModel(const rtl::OUString& service)
{
    if (!mConnection)
        return uno::Reference<lang::XComponent>();
    return uno::Reference<lang::XComponent>(
        mConnection->factory->createInstanceWithContext(service, mConnection->context),
        uno::UNO_QUERY_THROW);
}

void OfficeSession::stop()
{
    mKillGroup = 0;
    if (mProcess)
        mProcess->killNow();
    releaseConnection(true);
    stopProcess();
}

void OfficeSession::abandon()
{
    mKillGroup = 0;
    if (mProcess)
        mProcess->killNow();
    releaseConnection(false);
    stopProcess();
}

void OfficeSession::stopProcess()
{
    if (mProcess) {
        mProcess->stop();
        mProcess.reset();
    }
    if (!mPipeName.isEmpty())
        OfficePipes::Remove(mPipeName, mProfile);
}

QString OfficeSession::checkAfterFailure(bool bridgeGone)
{
    if (!mProcess)
        return QString(); // nothing was running
    if (mProcess->isRunning() && !bridgeGone)
        return QString();
    // The bridge breaks as a killed office dies, a moment before its process
    // has ended: wait (briefly) to tell how it ended.
    for (int i = 0; bridgeGone && i < 100 && mProcess->isRunning(); ++i)
        QThread::msleep(20);
    QString how = QStringLiteral("the connection to the office broke");
    if (!mProcess->isRunning()) {
        if (const auto exit = mProcess->exitStatus())
            how = QStringLiteral("the office stopped (%1)").arg(exit->describe());
    }
    stop();
    return how;
}

void OfficeSession::killFromAnyThread()
{
    const pid_t group = mKillGroup.load();
    if (group != 0)
        ::kill(-group, SIGKILL);
}

void OfficeSession::restartIfOverMemoryLimit()
{
    if (mMemoryLimit > 0 && mProcess && mProcess->residentBytes() > mMemoryLimit)
        stop();
}

pid_t OfficeSession::officePid() const
{
    return mProcess ? mProcess->pid() : 0;
}

qint64 OfficeSession::officeResidentBytes() const
{
    return mProcess ? mProcess->residentBytes() : 0;
}

qint64 OfficeSession::officePeakResidentBytes() const
{
    return mProcess ? mProcess->peakResidentBytes() : 0;
}

} // namespace engine
