#include "RecordingHttpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace enginetest {

namespace {

// A 1x1 PNG: whatever asks for a picture gets a valid one.
const unsigned char kPicture[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00,
    0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xF0, 0x1F, 0x00, 0x05, 0x00, 0x01, 0xFF,
    0x89, 0x99, 0x3D, 0x1D, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

} // namespace

RecordingHttpServer::RecordingHttpServer()
{
    mListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (mListener < 0 || ::bind(mListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(mListener, 16) != 0
        || ::getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &length) != 0
        || ::pipe2(mWake, O_CLOEXEC) != 0) {
        if (mListener >= 0)
            ::close(mListener);
        mListener = -1;
        return;
    }
    mPort = ntohs(address.sin_port);
    mThread = std::thread([this] { serve(); });
}

RecordingHttpServer::~RecordingHttpServer()
{
    if (mThread.joinable()) {
        [[maybe_unused]] auto written = ::write(mWake[1], "x", 1);
        mThread.join();
    }
    for (const int fd : {mListener, mWake[0], mWake[1]})
        if (fd >= 0)
            ::close(fd);
}

QByteArray RecordingHttpServer::url(const QByteArray& path) const
{
    return "http://127.0.0.1:" + QByteArray::number(mPort) + '/' + path;
}

QList<QByteArray> RecordingHttpServer::requests() const
{
    std::lock_guard guard(mLock);
    return mRequests;
}

void RecordingHttpServer::serve()
{
    for (;;) {
        pollfd fds[2] = {{mListener, POLLIN, 0}, {mWake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents & POLLIN) {
            const int connection = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection >= 0) {
                answer(connection);
                ::close(connection);
            }
        }
    }
}

void RecordingHttpServer::answer(int connection)
{
    QByteArray request;
    pollfd fd{connection, POLLIN, 0};
    while (!request.contains("\r\n\r\n") && request.size() < 65536 && ::poll(&fd, 1, 2000) > 0) {
        char buffer[4096];
        const ssize_t n = ::read(connection, buffer, sizeof buffer);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<qsizetype>(n));
    }
    {
        std::lock_guard guard(mLock);
        mRequests.append(request.left(request.indexOf("\r\n")));
    }
    const QByteArray body(reinterpret_cast<const char*>(kPicture), sizeof kPicture);
    const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: "
                             + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    [[maybe_unused]] auto written = ::write(connection, reply.constData(), static_cast<size_t>(reply.size()));
}

} // namespace enginetest
