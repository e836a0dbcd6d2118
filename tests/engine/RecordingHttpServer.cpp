// SPDX-License-Identifier: MPL-2.0
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
const QByteArray kPicture = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4"
                                                   "nGP4z8DwHwAFAAH/iZk9HQAAAABJRU5ErkJggg==");

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
    const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: "
                             + QByteArray::number(kPicture.size()) + "\r\nConnection: close\r\n\r\n" + kPicture;
    [[maybe_unused]] auto written = ::write(connection, reply.constData(), static_cast<size_t>(reply.size()));
}

} // namespace enginetest
