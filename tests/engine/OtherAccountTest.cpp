// SPDX-License-Identifier: MPL-2.0
// A permissive umask (000) must not open anything of the engine's to other
// accounts: the office's pipes (whoever can connect to them controls the
// office, and can write files as this user), its profile, the run folder.
// A helper process (KilledRunTest's) converts under umask 000; the test
// looks at what it made and, as root, tries to connect to its office as
// another account.
//
// Another account listens under every name of the offices' pipes it can
// derive from what it sees, while documents convert and the office starts
// again and again: no document fails, and nothing connects to it.
#include "EngineTestSupport.h"
#include "HelperProcess.h"

#include "engine/office/OfficePipes.h"
#include "platform/files/RunFolder.h"
#include "platform/files/TempFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace enginetest;
using engine::OfficePipes;

namespace {

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
    HelperProcess helper(QStringLiteral("ConvertingHelper.Run"), "umask",
                         {{QStringLiteral("TMPDIR"), temp.path()},
                          {QStringLiteral("TALLOWIN_ENGINE_HELPER_FOLDER"), documents.path()}});
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


// As another account, until its input closes: listens under `TALLOWIN_SQUAT`
// and under the names the command lines of the test's offices (children of
// `TALLOWIN_SQUAT_ON`) give away; reports each office once it holds those
// ("SEEN<pid>"), and the connections it accepted.
TEST(SquattingAccountHelper, Run)
{
    if (HelperProcess::Mode() != "squat")
        GTEST_SKIP() << "runs only as the helper of SquattingAccountTest";
    const gid_t nobody = 65534;
    ASSERT_TRUE(::setgroups(1, &nobody) == 0 && ::setegid(nobody) == 0 && ::seteuid(65534) == 0);
    static const QRegularExpression accept(QStringLiteral("name=(.+)-([0-9]+);"));
    static const QRegularExpression profile(QStringLiteral("UserInstallation=file://(.*/office-)([0-9]+)/profile$"));
    QSet<QString> wanted{qEnvironmentVariable("TALLOWIN_SQUAT")}, held, seen;
    std::vector<int> listeners;
    int accepted = 0;
    for (;;) {
        QStringList found;
        for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid)), stat(QStringLiteral("/proc/%1/stat").arg(pid));
            const QByteArray text = cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll() : QByteArray();
            const QByteArray status = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
            // "pid (name) state parent ..."
            if (!text.contains("soffice.bin") || status.mid(status.lastIndexOf(')') + 2).split(' ').value(1)
                                                      != qgetenv("TALLOWIN_SQUAT_ON"))
                continue;
            found << pid;
            for (const QByteArray& argument : text.split('\0')) {
                if (const auto m = accept.match(QString::fromUtf8(argument)); m.hasMatch())
                    for (int next = m.captured(2).toInt() + 1; next <= m.captured(2).toInt() + 8; ++next)
                        wanted << OfficePipes::FilesOf(m.captured(1) + QStringLiteral("-%1").arg(next), {})[0];
                if (const auto m = profile.match(QString::fromUtf8(argument)); m.hasMatch())
                    for (int office = 0; office <= m.captured(2).toInt() + 3; ++office)
                        wanted << OfficePipes::FilesOf({}, m.captured(1) + QString::number(office) + "/profile")[1];
            }
        }
        for (const QString& file : std::as_const(wanted)) { // one its office holds may be free later
            sockaddr_un address{AF_UNIX, {}};
            std::snprintf(address.sun_path, sizeof address.sun_path, "%s", QFile::encodeName(file).constData());
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (!held.contains(file) && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
                && ::listen(fd, 8) == 0) {
                listeners.push_back(fd);
                held << file;
            } else {
                ::close(fd);
            }
        }
        for (const QString& pid : found) {
            if (!seen.contains(pid))
                HelperProcess::Report(qPrintable(QStringLiteral("SEEN") + pid), QString::number(held.size()));
            seen << pid;
        }
        for (const int fd : listeners)
            for (int client; (client = ::accept(fd, nullptr, nullptr)) >= 0; ++accepted)
                ::close(client);
        pollfd input{0, POLLIN, 0};
        char byte;
        if (::poll(&input, 1, 10) > 0 && ::read(0, &byte, 1) <= 0)
            break;
    }
    for (const QString& file : std::as_const(held))
        ::unlink(QFile::encodeName(file).constData());
    HelperProcess::Report("ACCEPTED", QString::number(accepted));
}

class SquattingAccountTest : public EngineTest {};

TEST_F(SquattingAccountTest, NoDocumentFailsAndTheListenerGetsNoConnection)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "listening as another account takes root";
    SharedEngine().waitForOffice();
    const QString taken = QStringLiteral("tallowin-") + platform::UnguessableText();
    HelperProcess squatter(QStringLiteral("SquattingAccountHelper.Run"), "squat",
                           {{QStringLiteral("TALLOWIN_SQUAT"), OfficePipes::FilesOf(taken, {})[0]},
                            {QStringLiteral("TALLOWIN_SQUAT_ON"), QString::number(::getpid())}});
    const QString source = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("a.wpd"));
    for (int start = 0; start < 4; ++start) {
        SharedEngine().waitForOffice();
        const pid_t office = SharedEngine().officePid();
        ASSERT_FALSE(squatter.value(QStringLiteral("SEEN%1").arg(office)).isEmpty()) << squatter.errors();
        // What the program asks before it connects.
        EXPECT_EQ(OfficePipes::Check(taken, office), OfficePipes::Listener::Stranger);
        ::kill(office, SIGKILL); // the next document starts a new office
        ASSERT_TRUE(WaitUntilGone(office));
        QFile::remove(path(QStringLiteral("a.doc"))); // the last start's, written maybe within this clock tick
        EXPECT_TRUE(converts(source, path(QStringLiteral("a.doc"))));
    }
    squatter.process().closeWriteChannel();
    EXPECT_EQ(squatter.value(QStringLiteral("ACCEPTED")), QStringLiteral("0")) << squatter.errors();
}

} // namespace
