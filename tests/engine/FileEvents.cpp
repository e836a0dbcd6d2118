// SPDX-License-Identifier: MPL-2.0
#include "FileEvents.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace enginetest {

FileEvents::FileEvents(Handler onEvent) : mOnEvent(std::move(onEvent))
{
    mInotify = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (mInotify >= 0 && ::pipe2(mWake, O_CLOEXEC) == 0)
        mThread = std::thread([this] { run(); });
}

FileEvents::~FileEvents()
{
    if (mThread.joinable()) {
        [[maybe_unused]] auto written = ::write(mWake[1], "x", 1);
        mThread.join();
    }
    for (const int fd : {mInotify, mWake[0], mWake[1]})
        if (fd >= 0)
            ::close(fd);
}

bool FileEvents::watch(const QString& path, quint32 mask)
{
    if (!mThread.joinable())
        return false;
    std::lock_guard guard(mLock);
    const int wd = ::inotify_add_watch(mInotify, QFile::encodeName(path).constData(), mask);
    if (wd < 0)
        return false;
    mPaths.insert(wd, path);
    return true;
}

void FileEvents::run()
{
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        pollfd fds[2] = {{mInotify, POLLIN, 0}, {mWake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        const ssize_t n = ::read(mInotify, buffer, sizeof buffer);
        for (ssize_t at = 0; n > 0 && at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            QString path;
            {
                std::lock_guard guard(mLock);
                path = mPaths.value(event->wd);
            }
            const QString name = event->len > 0 ? QFile::decodeName(event->name) : QString();
            mOnEvent(path, name, event->mask);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

} // namespace enginetest
