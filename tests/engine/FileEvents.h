// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <mutex>
#include <thread>

namespace enginetest {

// Watches files and folders with inotify on a thread of its own and calls
// `onEvent(path, name, mask)` for each event as it happens (`name` is the
// entry of a watched folder the event is about, else empty). Tests use it to
// see whether the office opened a file, and to act at the moment something
// appears in a folder.
class FileEvents final {
public:
    using Handler = std::function<void(const QString& path, const QString& name, quint32 mask)>;

    explicit FileEvents(Handler onEvent);
    ~FileEvents();
    FileEvents(const FileEvents&) = delete;
    FileEvents& operator=(const FileEvents&) = delete;

    // `mask` as for inotify_add_watch (IN_OPEN, IN_CREATE, ...).
    bool watch(const QString& path, quint32 mask);

private:
    void run();

    Handler mOnEvent;
    int mInotify = -1;
    int mWake[2] = {-1, -1};
    std::mutex mLock;
    QHash<int, QString> mPaths;
    std::thread mThread;
};

} // namespace enginetest
