// SPDX-License-Identifier: MPL-2.0
// What real old documents and real users do to the engine: the office
// crashes or hangs, the batch is long, the program ends in the middle.
#include "EngineTestSupport.h"
#include "FileEvents.h"
#include "HelperProcess.h"

#include "engine/office/OfficeInstallation.h"
#include "engine/server/EngineThread.h"
#include "platform/desktop/Program.h"
#include "platform/files/RunFolder.h"
#include "platform/files/TempFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <future>
#include <sys/inotify.h>
#include <unistd.h>

using namespace enginetest;
using platform::RuntimeError;
using platform::Value;

namespace {

class RobustnessTest : public EngineTest {
protected:
    void TearDown() override
    {
        SharedEngine().setTimeLimits(std::chrono::seconds(60), std::chrono::seconds(10));
        SharedEngine().setMemoryLimit(engine::WordPerfectServer::kDefaultMemoryLimit);
        CloseQuietly(SharedServer());
    }

    void convertSample(const QString& name)
    {
        const QString target = path(name + QStringLiteral(".doc"));
        ASSERT_TRUE(converts(copySample(QStringLiteral("sample-wp50.wpd"), name + QStringLiteral(".wpd")), target));
        EXPECT_TRUE(WordText(target).contains(QStringLiteral("Surrounded by her family")));
    }
};

// The office dying in the middle of a save does not fail the document: it
// is loaded again, the plain way, on a new office, and saved there, and the
// save leaves its whole Word file and nothing else in the target's folder.
TEST_F(RobustnessTest, AnOfficeThatDiesWhileSavingIsReplacedAndTheSaveMadeAgainLeavingNothingElse)
{
    for (const bool atFirstFile : {false, true}) {
        SCOPED_TRACE(atFirstFile ? "killed at the save's first file" : "killed while it cannot answer");
        for (const QString& entry : Entries(mDir.path()))
            QFile::remove(path(entry));
        convertSample(QStringLiteral("before"));
        Call(SharedServer(), QStringLiteral("FileOpen"),
             {copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("during.wpd"))});
        const QString target = path(QStringLiteral("during.doc"));
        const pid_t office = SharedEngine().officePid();
        ASSERT_GT(office, 0); // kill(0, ...) would stop the test itself
        // Killed the moment the save creates its first file, wherever that
        // is: in the target's folder or in the engine's own.
        std::atomic<bool> killed{false};
        FileEvents events([&](const QString&, const QString&, quint32) {
            if (!killed.exchange(true))
                ::kill(office, SIGKILL);
        });
        if (atFirstFile) {
            ASSERT_TRUE(events.watch(mDir.path(), IN_CREATE));
            const QString run = platform::RunFolder::Instance().path();
            for (const QString& office : QDir(run).entryList({QStringLiteral("office-*")}, QDir::Dirs))
                events.watch(run + QLatin1Char('/') + office + QStringLiteral("/save"), IN_CREATE);
        } else {
            // Stopped, the office cannot answer; the timer (run by the
            // caller's wait) then kills it in the middle of the save.
            ::kill(office, SIGSTOP);
            QTimer::singleShot(300, [office] { ::kill(office, SIGKILL); });
        }
        Call(SharedServer(), QStringLiteral("FileSave"), {target, Value(69)});
        Call(SharedServer(), QStringLiteral("CloseNoSave"));
        EXPECT_TRUE(killed || !atFirstFile);
        EXPECT_EQ(Entries(mDir.path()), (QStringList{QStringLiteral("before.doc"), QStringLiteral("before.wpd"),
                                                     QStringLiteral("during.doc"), QStringLiteral("during.wpd")}));
        EXPECT_TRUE(WordText(target).contains(QStringLiteral("AND FURTHER")));
        EXPECT_NE(SharedEngine().officePid(), office);
        convertSample(QStringLiteral("after"));
    }
}

TEST_F(RobustnessTest, ADocumentIsNotBlamedForAnOfficeThatDiedBeforeItAndTheWindowsStayResponsive)
{
    convertSample(QStringLiteral("before"));
    const int starts = SharedEngine().officeStarts();
    const pid_t office = SharedEngine().officePid();
    ASSERT_GT(office, 0); // kill(0, ...) would stop the test itself
    // Timer events are window events: the windows stay responsive while the
    // engine waits for the office.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    ::kill(office, SIGSTOP);
    QTimer::singleShot(300, [office] { ::kill(office, SIGKILL); });
    convertSample(QStringLiteral("next")); // its load meets the dying office
    EXPECT_EQ(SharedEngine().officeStarts(), starts + 1);
    EXPECT_GT(ticks, 20);
}

// A hung office is ended by the watchdog, and the document it hung on is
// opened again on a new one.
TEST_F(RobustnessTest, TheWatchdogEndsAHungOfficeAndTheDocumentGetsANewOne)
{
    convertSample(QStringLiteral("before"));
    SharedEngine().setTimeLimits(std::chrono::milliseconds(1500), std::chrono::milliseconds(0));
    const pid_t office = SharedEngine().officePid();
    ASSERT_GT(office, 0); // kill(0, ...) would stop the test itself
    ::kill(office, SIGSTOP); // hangs every call
    const QString source = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("hung.wpd"));
    QElapsedTimer clock;
    clock.start();
    Call(SharedServer(), QStringLiteral("FileOpen"), {source});
    EXPECT_GE(clock.elapsed(), 1500);
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_TRUE(WaitUntilGone(office));
    Call(SharedServer(), QStringLiteral("CloseNoSave"));
    SharedEngine().setTimeLimits(std::chrono::seconds(60), std::chrono::seconds(10));
    convertSample(QStringLiteral("after"));
}

TEST_F(RobustnessTest, PastTheMemoryLimitTheOfficeIsRestartedBetweenDocuments)
{
    convertSample(QStringLiteral("one"));
    const int starts = SharedEngine().officeStarts();
    SharedEngine().setMemoryLimit(1); // every office is over it
    convertSample(QStringLiteral("two"));
    convertSample(QStringLiteral("three"));
    EXPECT_EQ(SharedEngine().officeStarts(), starts + 2);
    SharedEngine().setMemoryLimit(0); // never
    convertSample(QStringLiteral("four"));
    EXPECT_EQ(SharedEngine().officeStarts(), starts + 2);
}

// An office that cannot start (the out-of-memory killer ending it at every
// start looks the same to the engine) fails the documents, not the program,
// and the failures name it; then the real one again.
TEST_F(RobustnessTest, AfterFailedStartsCallsFailAtOnceUntilThePauseIsOverThenTheOfficeStartsAgain)
{
    struct RestoreOffice {
        ~RestoreOffice() { engine::OfficeInstallation::SetExecutable(QString()); }
    } restore;
    const QString broken = path(QStringLiteral("soffice.bin"));
    WriteFile(broken, "#!/bin/sh\nexit 3\n");
    QFile(broken).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    engine::OfficeInstallation::SetExecutable(broken);
    const auto server = NewServer(1);
    auto engine = EngineOf(server);
    engine.setStartRetryPause(std::chrono::hours(1));
    const QString source = copySample(QStringLiteral("sample-wp50.wpd"), QStringLiteral("a.wpd"));
    const QString target = path(QStringLiteral("a.doc"));
    // Each call tries to start an office until starts have failed several
    // times in a row; from then on calls fail without trying.
    int starts = -1;
    for (int call = 0; call < 6 && starts != engine.officeStarts(); ++call) {
        starts = engine.officeStarts();
        const auto failure = Convert(server, source, target);
        ASSERT_TRUE(failure);
        EXPECT_TRUE(Says(*failure, broken));
    }
    ASSERT_EQ(starts, engine.officeStarts()) << "every call still tries to start an office";
    const auto failure = Convert(server, source, target);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(Says(*failure, QStringLiteral("could not be started")));
    EXPECT_TRUE(Says(*failure, broken));
    EXPECT_EQ(engine.officeStarts(), starts);
    EXPECT_FALSE(Exists(target));

    // The office can start again: during the pause calls still fail at
    // once; after it, the next document starts an office.
    engine::OfficeInstallation::SetExecutable(QString());
    EXPECT_TRUE(Convert(server, source, target));
    EXPECT_EQ(engine.officeStarts(), starts);
    engine.setStartRetryPause(std::chrono::milliseconds(0));
    EXPECT_TRUE(Converts(server, source, target));
    EXPECT_GT(engine.officeStarts(), starts);
    EXPECT_TRUE(WordText(target).contains(QStringLiteral("Surrounded by her family")));
}

TEST_F(RobustnessTest, AnEngineThatNoLongerAnswersFailsItsCallsInsteadOfHangingTheProgram)
{
    const auto server = NewServer(1);
    auto engine = EngineOf(server);
    engine.waitForOffice();
    engine.setTimeLimits(std::chrono::milliseconds(300), std::chrono::milliseconds(0), std::chrono::milliseconds(200));
    // Something holds the engine thread itself, beyond the watchdog's reach.
    auto release = std::make_shared<std::promise<void>>();
    engine::EngineThread::Instance().post([held = release->get_future().share()] { held.wait(); });
    const QString source = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("a.wpd"));
    QElapsedTimer clock;
    clock.start();
    for (const QString& member : {QStringLiteral("FileOpen"), QStringLiteral("envDocBlank")}) {
        const auto e = FailureOf([&] {
            Call(server, member, member == QStringLiteral("FileOpen") ? QList<Value>{source} : QList<Value>{});
        });
        EXPECT_TRUE(Says(e, QStringLiteral("office engine")));
    }
    EXPECT_LT(clock.elapsed(), 30000);
    release->set_value();
}

// The program ending in its three ways: returning from main, ending at once
// (EndProgram, as Exit does), and being killed. A helper process (this test
// program again, with a pool of two offices) converts a document, has the
// pool work ahead and a document open, and ends; its offices, the work
// ahead and its folders must be gone afterwards.
TEST(EndOfRunHelper, Run)
{
    const QByteArray mode = HelperProcess::Mode();
    if (mode.isEmpty())
        GTEST_SKIP() << "runs only as the helper of EndOfRunTest";
    // The test's folder: this process may end without removing anything.
    const QDir dir(qEnvironmentVariable("TALLOWIN_ENGINE_HELPER_FOLDER"));
    const QString source = dir.filePath(QStringLiteral("a.wpd"));
    QFile::copy(DataPath(QStringLiteral("sample-wp6.wpd")), source);
    StartEveryOffice(SharedServer());
    ASSERT_TRUE(Converts(SharedServer(), source, dir.filePath(QStringLiteral("a.doc"))));
    // Work ahead in the pool's private files, and a document in flight in office 0.
    const QString ahead = dir.filePath(QStringLiteral("b.wpd"));
    QFile::copy(DataPath(QStringLiteral("sample-wp51.wpd")), ahead);
    Call(SharedServer(), QStringLiteral("AnnounceDocuments"), {ahead});
    SharedEngine().waitForWorkAhead();
    Call(SharedServer(), QStringLiteral("FileOpen"), {source});
    QStringList offices;
    for (const pid_t office : SharedEngine().officePids())
        offices << QString::number(office);
    HelperProcess::Report("OFFICES", offices.join(QLatin1Char(' ')));
    // The work ahead in memory-backed storage, where there is some.
    const QStringList folders = SharedEngine().workAheadFolders();
    HelperProcess::Report("MEMORY", folders.size() > 1 ? QFileInfo(folders.last()).path() : QStringLiteral("none"));
    HelperProcess::ReportRun();
    if (mode == "end")
        platform::EndProgram(0);
    if (mode == "kill")
        QThread::sleep(600); // until the test kills us
}

TEST(EndOfRunTest, NoOfficeAndNoTemporaryFileOutlivesTheProgram)
{
    for (const QByteArray mode : {"return", "end", "kill"}) {
        SCOPED_TRACE(mode.constData());
        const bool killed = mode == "kill";
        QTemporaryDir folder;
        HelperProcess helper(QStringLiteral("EndOfRunHelper.Run"), mode,
                             {{QStringLiteral("TALLOWIN_ENGINE_HELPER_FOLDER"), folder.path()},
                              {QStringLiteral("TALLOWIN_OFFICES"), QStringLiteral("2")}});
        const QStringList offices = helper.value(QStringLiteral("OFFICES")).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString runFolder = helper.value(QStringLiteral("RUN"));
        const QString memoryFolder = helper.value(QStringLiteral("MEMORY"));
        ASSERT_FALSE(helper.value(QStringLiteral("PIPES")).isEmpty());
        ASSERT_EQ(offices.size(), 2) << helper.errors();
        ASSERT_FALSE(runFolder.isEmpty());
        if (killed)
            helper.process().kill();
        ASSERT_TRUE(helper.process().waitForFinished(60000));
        if (!killed) {
            EXPECT_EQ(helper.process().exitCode(), 0);
        }
        for (const QString& office : offices) {
            EXPECT_GT(office.toInt(), 0);
            EXPECT_TRUE(WaitUntilGone(office.toInt())) << "an office outlived the program";
        }
        if (killed) {
            // What a killed run leaves is removed by the next start.
            EXPECT_TRUE(Exists(runFolder));
            EXPECT_TRUE(memoryFolder == QStringLiteral("none") || Exists(memoryFolder));
            platform::RunFolder::CleanKilledRuns(platform::SystemTempPath());
        }
        EXPECT_FALSE(Exists(runFolder));
        if (memoryFolder != QStringLiteral("none")) {
            EXPECT_FALSE(Exists(memoryFolder)) << memoryFolder.toStdString();
        }
        EXPECT_EQ(helper.pipesLeft(), QStringList());
    }
}

} // namespace
