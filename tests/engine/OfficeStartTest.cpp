// SPDX-License-Identifier: MPL-2.0
// How offices start: only as many as the run needs, and from the profile
// kept in the user's cache, which spares the office its set-up restart and
// cannot change the settings the engine gives it. How the program gets its
// engine: by ProgID, failing at once when there is no office (an office that
// is there but broken fails the documents, not the program: see
// RobustnessTest).
#include "EngineTestSupport.h"
#include "engine/office/OfficeInstallation.h"
#include "engine/office/OfficeProfile.h"
#include "engine/office/OfficeSession.h"
#include "engine/server/EngineRegistration.h"
#include "platform/automation/ProgIdRegistry.h"
#include "support/ScopedEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <sys/stat.h>

using namespace enginetest;
using engine::OfficeInstallation;
using platform::RuntimeError;

namespace {

class OfficeStartTest : public EngineTest {
protected:
    // A start of a new office session with the test's cache folder: how
    // often it restarted, and the settings its profile held.
    int restartsOfAStart(QByteArray* settings = nullptr)
    {
        engine::OfficeSession session;
        session.ensureRunning();
        if (settings)
            *settings = ReadFile(session.folder() + QStringLiteral("/profile/user/registrymodifications.xcu"));
        return session.restartCount();
    }
    QString kept(const QString& name = QString()) const
    {
        return mCache + QStringLiteral("/tallowin/office-profile") + (name.isEmpty() ? name : QLatin1Char('/') + name);
    }

    const QString mCache = path(QStringLiteral("cache"));
    testsupport::ScopedEnv mCacheHome{"XDG_CACHE_HOME", mCache.toUtf8()};
};

} // namespace

TEST_F(OfficeStartTest, AServerStartsOneOfficeAndMoreOnlyForABatchThatNeedsThemAndTheyGoWithIt)
{
    auto server = NewServer(2);
    auto engine = EngineOf(server);
    engine.waitForOffice();
    const QString a = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("a.wpd"));
    Call(server, QStringLiteral("AnnounceDocuments"), {a});
    EXPECT_FALSE(Convert(server, a, path(QStringLiteral("a.doc"))));
    QList<pid_t> offices = engine.officePids();
    ASSERT_EQ(offices.size(), 2);
    EXPECT_GT(offices[0], 0);
    EXPECT_EQ(offices[1], 0) << "a second office started for one document";

    StartEveryOffice(server);
    offices = engine.officePids();
    EXPECT_GT(offices[1], 0);
    for (const pid_t office : offices)
        ASSERT_TRUE(ProcessAlive(office));
    server.reset();
    for (const pid_t office : offices)
        EXPECT_TRUE(WaitUntilGone(office));
}

TEST_F(OfficeStartTest, TheFirstStartKeepsItsProfilePrivatelyAndLaterStartsNeedNoRestartWithTheSameSettings)
{
    QByteArray first, later;
    EXPECT_EQ(restartsOfAStart(&first), 1);
    ASSERT_TRUE(Exists(kept(QStringLiteral("manifest"))));
    QDirIterator it(mCache + QStringLiteral("/tallowin"), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString entry = it.next();
        EXPECT_EQ(ModeOf(entry) & 07777, QFileInfo(entry).isDir() ? 0700 : 0600) << entry.toStdString();
    }
    EXPECT_FALSE(Exists(kept(QStringLiteral("user/registrymodifications.xcu"))));

    EXPECT_EQ(restartsOfAStart(&later), 0);
    // What the office trusts is what the engine writes, kept profile or not.
    for (const QByteArray& setting : {QByteArray("\"BlockUntrustedRefererLinks\" oor:op=\"fuse\"><value>true<"),
                                      QByteArray("\"Link\" oor:op=\"fuse\"><value>2<")}) {
        EXPECT_TRUE(first.contains(setting)) << setting.constData();
        EXPECT_TRUE(later.contains(setting)) << setting.constData();
    }
}

TEST_F(OfficeStartTest, AKeptProfileThatIsStaleDamagedOrNotPrivateIsNotUsedAndIsMadeAgain)
{
    const auto rewriteManifestLine = [this](int line, const QByteArray& text) {
        QList<QByteArray> lines = ReadFile(kept(QStringLiteral("manifest"))).split('\n');
        lines[line] = text;
        WriteFile(kept(QStringLiteral("manifest")), lines.join('\n'));
    };
    const QString file = kept(QStringLiteral("user/extensions/buildid"));
    const QList<std::pair<const char*, std::function<void()>>> cases{
        {"a file changed", [&] { WriteFile(file, ReadFile(file) + "x"); }},
        {"a file missing", [&] { QFile::remove(file); }},
        {"a file others may change", [&] { ::chmod(QFile::encodeName(file).constData(), 0666); }},
        {"a link in place of a file",
         [&] {
             QFile::rename(file, path(QStringLiteral("elsewhere")));
             QFile::link(path(QStringLiteral("elsewhere")), file);
         }},
        {"another office installation", [&] { rewriteManifestLine(1, "installation 0"); }},
        {"other settings", [&] { rewriteManifestLine(2, "settings 0"); }},
    };
    ASSERT_LE(restartsOfAStart(), 1);
    for (const auto& [what, damage] : cases) {
        SCOPED_TRACE(what);
        damage();
        EXPECT_EQ(restartsOfAStart(), 1);
        EXPECT_EQ(restartsOfAStart(), 0);
    }
}

TEST_F(OfficeStartTest, ACacheFolderThatIsALinkIsNotUsed)
{
    const QString elsewhere = path(QStringLiteral("elsewhere"));
    QDir().mkpath(elsewhere);
    QDir().mkpath(mCache);
    QFile::link(elsewhere, mCache + QStringLiteral("/tallowin"));
    EXPECT_EQ(engine::OfficeProfile::Folder(), QString());
    EXPECT_EQ(restartsOfAStart(), 1);
    EXPECT_EQ(Entries(elsewhere), QStringList());
}

namespace {

class RegistrationTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        engine::RegisterEngine();
    }
    void TearDown() override { OfficeInstallation::SetExecutable(QString()); }
};

TEST_F(RegistrationTest, WithoutARunnableOfficeTheServerCannotBeCreated)
{
    const QString notExecutable = path(QStringLiteral("soffice.bin"));
    WriteFile(notExecutable, "#!/bin/sh\n");
    struct Case {
        QString program;
        const char* reason;
    };
    const QList<Case> cases{
        {path(QStringLiteral("missing/soffice.bin")), "is not installed"},
        {mDir.path(), "not a regular file"},
        {notExecutable, "may not be executed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program.toStdString());
        OfficeInstallation::SetExecutable(c.program);
        QElapsedTimer clock;
        clock.start();
        const auto e =
            FailureOf([] { platform::ProgIdRegistry::CreateObject(QStringLiteral("WordPerfect.PerfectScript")); });
        EXPECT_EQ(e.number(), RuntimeError::CannotCreateObject);
        EXPECT_TRUE(Says(e, c.program));
        EXPECT_TRUE(Says(e, QString::fromLatin1(c.reason)));
        EXPECT_LT(clock.elapsed(), 2000) << "the check started something";
    }
}

} // namespace
