// The office runs without network: whatever a document makes it try, it can
// open local sockets only (its UNO pipes), never an Internet one.
#include "EngineTestSupport.h"
#include "RecordingHttpServer.h"

#include "engine/office/NetworkBlock.h"

#include <QFile>
#include <arpa/inet.h>
#include <linux/io_uring.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace enginetest;

namespace {

TEST(NetworkBlockTest, AProcessUnderTheBlockGetsLocalSocketsOnly)
{
    RecordingHttpServer server;
    ASSERT_TRUE(server.isListening());
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(server.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    struct Case {
        int domain;
        int type;
        bool allowed;
    };
    const Case cases[] = {
        {AF_UNIX, SOCK_STREAM, true},  {AF_NETLINK, SOCK_RAW, true}, {AF_INET, SOCK_STREAM, false},
        {AF_INET, SOCK_DGRAM, false},  {AF_INET6, SOCK_STREAM, false}, {AF_PACKET, SOCK_RAW, false},
    };
    // A child process of its own: the filter cannot be taken off again.
    const pid_t child = ::fork();
    if (child == 0) {
        if (!engine::NetworkBlock::ApplyToThisProcess())
            ::_exit(100);
        int failures = 0;
        for (const Case& c : cases) {
            const int fd = ::socket(c.domain, c.type, 0);
            if ((fd >= 0) != c.allowed)
                ++failures;
            if (fd >= 0)
                ::close(fd);
        }
        // A connection made before the block still works; a new one cannot
        // even be made.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            ++failures;
        // Nor through io_uring (whose IORING_OP_SOCKET the filter would not
        // see), nor by taking a socket from another process.
        io_uring_params ring{};
        if (::syscall(SYS_io_uring_setup, 4, &ring) >= 0)
            failures += 10;
        const long parent = ::syscall(SYS_pidfd_open, ::getppid(), 0);
        if (parent >= 0 && ::syscall(SYS_pidfd_getfd, parent, 0, 0) >= 0)
            failures += 20;
        ::_exit(failures);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 100) << "the kernel refused the filter";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "sockets that should (not) open (10: io_uring, 20: another process's)";
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(NetworkBlockTest, TheOfficeRunsUnderTheBlock)
{
    SharedEngine().waitForOffice();
    QFile status(QStringLiteral("/proc/%1/status").arg(SharedEngine().officePid()));
    ASSERT_TRUE(status.open(QIODevice::ReadOnly));
    const QByteArray text = status.readAll();
    EXPECT_TRUE(text.contains("\nSeccomp:\t2\n")) << text.toStdString();
}

} // namespace
