// Another account may listen under the names the offices' pipes are about
// to have: whoever makes such a socket first gets the program's connection
// (and the office finds its name taken). A listener as another account
// takes every name it can derive from what it sees of the program (the
// offices' command lines, above all) while documents are converted and the
// office is started again and again: no document fails, and nothing
// connects to the listener.
#include "EngineTestSupport.h"
#include "HelperProcess.h"

#include "engine/OfficePipes.h"
#include "platform/TempFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <csignal>
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace enginetest;
using engine::OfficePipes;

namespace {

// The names an office's command line gives away: the next accept pipes of
// a numbered series, the single-instance pipes of the profiles beside its own.
QStringList namesFrom(const QList<QByteArray>& arguments)
{
    static const QRegularExpression accept(QStringLiteral("name=(.+)-([0-9]+);"));
    static const QRegularExpression profile(QStringLiteral("^-env:UserInstallation=file://(.*/office-)([0-9]+)/profile$"));
    QStringList names;
    for (const QByteArray& argument : arguments) {
        const QString text = QString::fromUtf8(argument);
        if (const auto m = accept.match(text); m.hasMatch())
            for (int next = 1; next <= 8; ++next)
                names << OfficePipes::FilesOf(m.captured(1) + QStringLiteral("-%1").arg(m.captured(2).toInt() + next),
                                              QString())[0];
        if (const auto m = profile.match(text); m.hasMatch())
            for (int office = 0; office <= m.captured(2).toInt() + 3; ++office)
                names << OfficePipes::FilesOf(QString(), m.captured(1) + QString::number(office) + "/profile")[1];
    }
    return names;
}

// As another account: listens under `TALLOWIN_SQUAT` and under every name
// the command lines of the test's offices (children of `TALLOWIN_SQUAT_ON`;
// other programs' offices are none of its business) give away, until its
// input closes; reports each office it has seen ("SEEN<pid>") and how many
// connections it accepted.
TEST(SquattingAccountHelper, Run)
{
    if (HelperProcess::Mode() != "squat")
        GTEST_SKIP() << "runs only as the helper of SquattingAccountTest";
    const gid_t nobody = 65534;
    ASSERT_TRUE(::setgroups(1, &nobody) == 0 && ::setegid(nobody) == 0 && ::seteuid(65534) == 0);
    const QByteArray parent = qgetenv("TALLOWIN_SQUAT_ON");
    QSet<QString> wanted{qEnvironmentVariable("TALLOWIN_SQUAT")};
    QSet<QString> held;
    std::vector<int> listeners;
    QSet<QString> seen;
    int accepted = 0;
    for (bool first = true;; first = false) {
        for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(name));
            QFile stat(QStringLiteral("/proc/%1/stat").arg(name));
            const QByteArray text = cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll() : QByteArray();
            const QByteArray status = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
            // "pid (name) state parent ..."
            if (!text.contains("soffice.bin") || status.mid(status.lastIndexOf(')') + 2).split(' ').value(1) != parent)
                continue;
            for (const QString& file : namesFrom(text.split('\0')))
                wanted.insert(file);
            if (!seen.contains(name))
                HelperProcess::Report(qPrintable(QStringLiteral("SEEN") + name), QString::number(wanted.size()));
            seen.insert(name);
        }
        // A name still held by its office may be free later.
        for (const QString& file : wanted) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::snprintf(address.sun_path, sizeof address.sun_path, "%s", QFile::encodeName(file).constData());
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (!held.contains(file) && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
                && ::listen(fd, 8) == 0) {
                listeners.push_back(fd);
                held.insert(file);
            } else {
                ::close(fd);
            }
        }
        if (first)
            HelperProcess::Report("READY", QString::number(held.size()));
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
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("TALLOWIN_SQUAT"), OfficePipes::FilesOf(taken, QString())[0]);
    environment.insert(QStringLiteral("TALLOWIN_SQUAT_ON"), QString::number(::getpid()));
    HelperProcess squatter(QStringLiteral("SquattingAccountHelper.Run"), "squat", environment);
    ASSERT_FALSE(squatter.value(QStringLiteral("READY")).isEmpty()) << squatter.errors();
    // What the program asks before it connects.
    EXPECT_EQ(OfficePipes::Check(taken, SharedEngine().officePid()), OfficePipes::Listener::Stranger);

    const QString source = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("a.wpd"));
    for (int start = 0; start < 4; ++start) {
        SCOPED_TRACE(start);
        SharedEngine().waitForOffice();
        const pid_t office = SharedEngine().officePid();
        ASSERT_FALSE(squatter.value(QStringLiteral("SEEN%1").arg(office)).isEmpty()) << squatter.errors();
        ::kill(office, SIGKILL); // the next document starts a new office
        ASSERT_TRUE(WaitUntilGone(office));
        const auto failure = Convert(SharedServer(), source, path(QStringLiteral("a.doc")));
        EXPECT_FALSE(failure) << failure->description().toStdString();
    }
    squatter.process().closeWriteChannel();
    EXPECT_EQ(squatter.value(QStringLiteral("ACCEPTED")), QStringLiteral("0")) << squatter.errors();
}

} // namespace
