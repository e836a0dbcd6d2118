// A permissive umask (000) must not open anything of the engine's to other
// accounts: the office's pipes (whoever can connect to them controls the
// office, and can write files as this user), its profile, the run folder.
// A helper process converts under umask 000; the test looks at what it made
// and, as root, tries to connect to its office as another account.
#include "EngineTestSupport.h"
#include "HelperProcess.h"

#include "platform/RunFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace enginetest;

namespace {

TEST(PermissiveUmaskHelper, Run)
{
    if (HelperProcess::Mode() != "umask")
        GTEST_SKIP() << "runs only as the helper of PermissiveUmaskTest";
    ::umask(0);
    const QDir dir(qEnvironmentVariable("TALLOWIN_ENGINE_UMASK_FOLDER"));
    const QString source = dir.filePath(QStringLiteral("a.wpd"));
    QFile::copy(DataPath(QStringLiteral("sample-wp6.wpd")), source);
    ASSERT_TRUE(Converts(SharedServer(), source, dir.filePath(QStringLiteral("a.doc"))));
    Call(SharedServer(), QStringLiteral("FileOpen"), {source}); // a document in flight
    HelperProcess::ReportRun();
    while (std::getchar() != EOF) { // until the test closes our input
    }
}

// Whether an account that is neither root nor ours can connect to the socket.
bool othersCanConnect(const QString& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(socketPath);
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", native.constData());
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t nobody = 65534;
        if (::setgroups(1, &nobody) != 0 || ::setgid(nobody) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::_exit(connected ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not become another account";
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(PermissiveUmaskTest, NothingTheEngineCreatesIsOpenToOthers)
{
    // The helper's temporary folder is one of its own, so that it makes the
    // engine's shared parent folder too.
    QTemporaryDir temp;
    QTemporaryDir documents;
    // Should the helper have to be killed, what it made goes as it would at
    // the next start.
    struct CleanAfterwards {
        QString folder;
        ~CleanAfterwards() { platform::RunFolder::CleanKilledRuns(folder); }
    } cleanAfterwards{temp.path() + QLatin1Char('/')};
    HelperProcess helper(QStringLiteral("PermissiveUmaskHelper.Run"), "umask",
                         {{QStringLiteral("TMPDIR"), temp.path()},
                          {QStringLiteral("TALLOWIN_ENGINE_UMASK_FOLDER"), documents.path()}});
    const QString runFolder = helper.value(QStringLiteral("RUN"));
    ASSERT_FALSE(runFolder.isEmpty()) << helper.errors();
    ASSERT_TRUE(runFolder.startsWith(temp.path()));

    // Everything in the helper's temporary folder: the engine's folders and
    // files and what the office made in its profile and temporary folder.
    int seen = 0;
    QDirIterator walk(temp.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString entry = walk.next();
        ++seen;
        EXPECT_EQ(ModeOf(entry) & 077, 0u) << entry.toStdString() << " is open to others";
    }
    EXPECT_GT(seen, 10);

    // The office's pipes in /tmp.
    const QStringList pipes = helper.pipesLeft();
    ASSERT_FALSE(pipes.isEmpty());
    for (const QString& pipe : pipes) {
        SCOPED_TRACE(pipe.toStdString());
        EXPECT_TRUE(S_ISSOCK(ModeOf(pipe)));
        EXPECT_EQ(ModeOf(pipe) & 077, 0u) << "open to others";
        if (::geteuid() == 0) {
            EXPECT_FALSE(othersCanConnect(pipe)) << "another account connected to the office";
        }
    }
    helper.process().closeWriteChannel();
    ASSERT_TRUE(helper.process().waitForFinished(60000));
    EXPECT_EQ(helper.process().exitCode(), 0) << helper.errors();
}

} // namespace
