// SPDX-License-Identifier: MPL-2.0
// A run killed in the middle of its work (kill -9, the out-of-memory killer,
// a crash) leaves nothing behind once the next run has started: nothing in
// the folders it wrote Word documents to, nothing of its own in the
// temporary folder. A helper process (this test program again) converts with
// its own temporary folder and is killed at chosen moments; the test then
// does what the next start does.
#include "EngineTestSupport.h"
#include "FileEvents.h"
#include "HelperProcess.h"

#include "fs/clsFileSystem.h"
#include "platform/files/RunFolder.h"
#include "platform/files/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <QtEndian>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace enginetest;
using platform::Value;

namespace {

// The helper of KilledRunTest and PermissiveUmaskTest: converts the
// document of its folder (under umask 000 in mode "umask", leaving it open
// there: a document in flight), reports, and ends when its input closes. On
// a line from the test it converts it again the way a conversion job does,
// with its temporary copy where the program makes it, then waits to be killed.
TEST(ConvertingHelper, Run)
{
    const QByteArray mode = HelperProcess::Mode();
    if (mode != "convert" && mode != "umask")
        GTEST_SKIP() << "runs only as the helper of KilledRunTest and PermissiveUmaskTest";
    if (mode == "umask")
        ::umask(0);
    const QDir dir(qEnvironmentVariable("TALLOWIN_ENGINE_HELPER_FOLDER"));
    const QString source = dir.filePath(QStringLiteral("a.wpd"));
    QFile::copy(DataPath(QStringLiteral("sample-wp6.wpd")), source);
    ASSERT_TRUE(Converts(SharedServer(), source, dir.filePath(QStringLiteral("first.doc"))));
    if (mode == "umask")
        Call(SharedServer(), QStringLiteral("FileOpen"), {source});
    HelperProcess::ReportRun();
    HelperProcess::Report("OFFICE", QString::number(SharedEngine().officePid()));
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return;
    const QString copy = clsFileSystem().fnGetTempPath();
    ASSERT_FALSE(copy.isEmpty());
    Call(SharedServer(), QStringLiteral("FileOpen"), {source});
    Call(SharedServer(), QStringLiteral("envDocBlank"));
    Call(SharedServer(), QStringLiteral("FileSave"), {copy});
    Call(SharedServer(), QStringLiteral("FileSave"), {dir.filePath(QStringLiteral("a.doc")), Value(69)});
    HelperProcess::Report("SAVED", copy);
    QThread::sleep(600); // until the test kills us
}

class KilledRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mTemp.isValid() && mDocuments.isValid() && mRuntime.isValid());
        QFile::copy(DataPath(QStringLiteral("sample-wp6.wpd")), mDocuments.filePath(QStringLiteral("a.wpd")));
    }

    // Whatever a failed test left goes as it would at the next start.
    void TearDown() override
    {
        nextStart();
        if (mMounted)
            ::umount2(QFile::encodeName(mRuntime.path()).constData(), MNT_DETACH);
    }

    // Starts the helper with the test's temporary folder as its own.
    std::unique_ptr<HelperProcess> startHelper()
    {
        // Qt's own run-time folder (made in TMPDIR when a session names none)
        // is no business of this test.
        auto helper = std::make_unique<HelperProcess>(
            QStringLiteral("ConvertingHelper.Run"), "convert",
            HelperProcess::Environment{{QStringLiteral("TMPDIR"), mTemp.path()},
                                       {QStringLiteral("XDG_RUNTIME_DIR"), mRuntime.path()},
                                       {QStringLiteral("TALLOWIN_ENGINE_HELPER_FOLDER"), mDocuments.path()}});
        mRun = helper->value(QStringLiteral("RUN"));
        mTempCopies = helper->value(QStringLiteral("TEMP"));
        mOffice = helper->value(QStringLiteral("OFFICE")).toInt();
        EXPECT_FALSE(mRun.isEmpty()) << helper->errors();
        return helper;
    }

    // Kills the helper (if nobody did) and waits until it and its office
    // are gone.
    void waitUntilKilled(HelperProcess& helper)
    {
        if (helper.process().state() != QProcess::NotRunning) {
            helper.process().kill();
            ASSERT_TRUE(helper.process().waitForFinished(60000));
        }
        ASSERT_TRUE(WaitUntilGone(mOffice));
    }

    // What the next start does first.
    void nextStart() { platform::RunFolder::CleanKilledRuns(mTemp.path() + QLatin1Char('/')); }

    // What the killed run kept in memory-backed storage (its temporary
    // copies, the pool's work).
    QStringList memoryLeft() const
    {
        const QString folder = QFileInfo(mTempCopies).path();
        return !folder.startsWith(mRun) && Exists(folder) ? QStringList{folder} : QStringList();
    }

    QTemporaryDir mTemp;
    QTemporaryDir mDocuments;
    QTemporaryDir mRuntime;
    QString mRun;
    QString mTempCopies;
    pid_t mOffice = 0;
    bool mMounted = false; // mRuntime is a memory file system of the test's
};

TEST_F(KilledRunTest, ARunKilledWhileSavingLeavesNothingOnceTheNextRunHasStarted)
{
    // The moments: the first file the office's save makes (wherever it
    // makes it), and the first file that appears in the target's folder.
    for (const bool inTargetFolder : {false, true}) {
        SCOPED_TRACE(inTargetFolder ? "killed at the first file in the target's folder"
                                    : "killed at the first file of the office's save");
        QFile::remove(mDocuments.filePath(QStringLiteral("a.doc")));
        auto helper = startHelper();
        ASSERT_FALSE(mRun.isEmpty());
        const pid_t pid = static_cast<pid_t>(helper->process().processId());
        std::atomic<bool> killed{false};
        FileEvents events([&](const QString&, const QString&, quint32) {
            if (!killed.exchange(true))
                ::kill(pid, SIGKILL);
        });
        ASSERT_TRUE(events.watch(mDocuments.path(), IN_CREATE));
        if (!inTargetFolder) {
            for (const QString& office : QDir(mRun).entryList({QStringLiteral("office-*")}, QDir::Dirs))
                events.watch(mRun + QLatin1Char('/') + office + QStringLiteral("/save"), IN_CREATE);
        }
        helper->process().write("go\n");
        helper->process().waitForFinished(60000);
        EXPECT_TRUE(killed) << helper->errors();
        waitUntilKilled(*helper);
        EXPECT_TRUE(Exists(mRun));
        ASSERT_FALSE(helper->pipesLeft().isEmpty());

        // Jobs on a cluster get a temporary folder each: a start with another
        // one finds the killed run's folder, pipes and memory all the same.
        QTemporaryDir otherTemp;
        platform::RunFolder::CleanKilledRuns((inTargetFolder ? otherTemp.path() : mTemp.path()) + QLatin1Char('/'));
        EXPECT_FALSE(Exists(mRun));
        EXPECT_EQ(helper->pipesLeft(), QStringList());
        EXPECT_EQ(memoryLeft(), QStringList());
        nextStart(); // and one with the run's own removes its parent folder too
        // The document, the first conversion and, if the rename came before
        // the kill, the whole second one: nothing else.
        QStringList expected{QStringLiteral("a.wpd"), QStringLiteral("first.doc")};
        if (Exists(mDocuments.filePath(QStringLiteral("a.doc")))) {
            EXPECT_TRUE(WordText(mDocuments.filePath(QStringLiteral("a.doc"))).contains(QStringLiteral("AND FURTHER")));
            expected.prepend(QStringLiteral("a.doc"));
        }
        EXPECT_EQ(Entries(mDocuments.path()), expected);
        EXPECT_EQ(Entries(mTemp.path()), QStringList()) << "left in the temporary folder";
    }
}

TEST_F(KilledRunTest, RunsUnderAPrivateParentAreCleanedWhenTheSharedNameIsTaken)
{
    // Another account's folder (here a link) holds the shared name: runs use
    // a private parent of their own, which the next start must find.
    const QString temp = mTemp.path() + QLatin1Char('/');
    const QString shared = platform::RunFolder::ParentFolder().mid(platform::SystemTempPath().size());
    ASSERT_TRUE(QDir().mkdir(temp + QStringLiteral("elsewhere")));
    ASSERT_TRUE(QFile::link(temp + QStringLiteral("elsewhere"), temp + shared));
    // Parents the next start must leave alone: one open to others, one with
    // a live run (this process holds its lock).
    const QString open = temp + shared + QStringLiteral("-open");
    ASSERT_TRUE(QDir().mkpath(open + QStringLiteral("/run-1-dead")));
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0755), 0);
    const QString live = temp + shared + QStringLiteral("-live");
    ASSERT_TRUE(QDir().mkpath(live + QStringLiteral("/run-2-live")));
    ASSERT_EQ(::chmod(QFile::encodeName(live).constData(), 0700), 0);
    const int lock = ::open(QFile::encodeName(live + QStringLiteral("/run-2-live/lock")).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

    auto helper = startHelper();
    ASSERT_FALSE(mRun.isEmpty());
    const QString parent = QFileInfo(mRun).path();
    EXPECT_TRUE(QFileInfo(parent).fileName().startsWith(shared + QLatin1Char('-'))) << parent.toStdString();
    waitUntilKilled(*helper);

    nextStart();
    EXPECT_FALSE(Exists(parent)) << "the killed run's private parent is still there";
    EXPECT_TRUE(Exists(open + QStringLiteral("/run-1-dead")));
    EXPECT_TRUE(Exists(live + QStringLiteral("/run-2-live")));
    EXPECT_TRUE(QFileInfo(temp + shared).isSymLink());
    EXPECT_EQ(Entries(temp + QStringLiteral("elsewhere")), QStringList());
    EXPECT_EQ(helper->pipesLeft(), QStringList());
    ::close(lock);
}

TEST_F(KilledRunTest, TemporaryCopiesGoToTheDiskWhenTheMemoryFolderIsFull)
{
    // The helper's memory-backed storage: a tiny memory file system, full by
    // the time the copy is made.
    mMounted = ::mount("tmpfs", QFile::encodeName(mRuntime.path()).constData(), "tmpfs", 0, "size=256k,mode=0700") == 0;
    if (!mMounted)
        GTEST_SKIP() << "cannot mount a memory file system here";
    auto helper = startHelper();
    ASSERT_TRUE(mTempCopies.startsWith(mRuntime.path())) << mTempCopies.toStdString();
    QFile filler(mRuntime.filePath(QStringLiteral("filler")));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
    }
    helper->process().write("go\n");
    const QString copy = helper->value(QStringLiteral("SAVED"));
    EXPECT_TRUE(copy.startsWith(mRun + QStringLiteral("/temp/"))) << copy.toStdString() << helper->errors();
    waitUntilKilled(*helper);
}

TEST_F(KilledRunTest, CraftedJournalNotesAndFolderNamesRemoveNothingElse)
{
    SharedEngine().waitForOffice(); // this run's offices and their pipes are alive
    QStringList livePipes;
    for (const QString& pipe : platform::RunFolder::Instance().notedSockets())
        if (QFileInfo(pipe).exists())
            livePipes << pipe;
    ASSERT_FALSE(livePipes.isEmpty());
    // A killed run, whose journal names files it did not make, and a folder
    // named like the start of this run's name.
    const QString parent = mTemp.filePath(QFileInfo(platform::RunFolder::ParentFolder()).fileName());
    const QString run = parent + QStringLiteral("/run-1-") + QString(32, QLatin1Char('0'));
    const QString cutName = parent + QStringLiteral("/run-%1-").arg(::getpid());
    for (const QString& folder : {parent, run, run + QStringLiteral("/pending"), cutName})
        platform::MakePrivateFolder(folder);
    WriteFile(run + QStringLiteral("/lock"), {});
    const QString victim = mDocuments.filePath(QStringLiteral("a.wpd"));
    const QString link = mDocuments.filePath(QStringLiteral(".~tallowin-1.tmp"));
    ASSERT_TRUE(QFile::link(victim, link));
    // A link in its folder to the documents' folder goes, not what it leads to.
    ASSERT_TRUE(QFile::link(mDocuments.path(), run + QStringLiteral("/profile")));
    const auto withLength = [](const QByteArray& name) {
        QByteArray note(4, '\0');
        qToBigEndian(static_cast<quint32>(name.size()), note.data());
        return note + name;
    };
    const QByteArray cut = QFile::encodeName(victim) + '\0' + "/.~tallowin-2.tmp";
    const QByteArray notes[] = {cut, withLength(cut), withLength(QFile::encodeName(victim)),
                                withLength(QFile::encodeName(link))};
    for (const QByteArray& note : notes)
        WriteFile(run + QStringLiteral("/pending/%1").arg(&note - notes), note);

    nextStart();
    EXPECT_FALSE(Exists(run));
    EXPECT_TRUE(Exists(victim));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(Exists(cutName));
    for (const QString& pipe : livePipes)
        EXPECT_TRUE(QFileInfo(pipe).exists()) << pipe.toStdString() << " of the live run was removed";
    QDir(cutName).removeRecursively();
}

} // namespace
