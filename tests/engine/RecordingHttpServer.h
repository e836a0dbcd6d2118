// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QList>
#include <atomic>
#include <mutex>
#include <thread>

namespace enginetest {

// A tiny HTTP server on 127.0.0.1 that answers every request with a small
// body and records each connection's first line ("GET /x HTTP/1.1"; a
// connection that sends nothing is recorded as an empty line). Documents
// whose links point at it show whether the office fetched anything.
class RecordingHttpServer final {
public:
    RecordingHttpServer();
    ~RecordingHttpServer();
    RecordingHttpServer(const RecordingHttpServer&) = delete;
    RecordingHttpServer& operator=(const RecordingHttpServer&) = delete;

    bool isListening() const { return mListener >= 0; }
    int port() const { return mPort; }
    // "http://127.0.0.1:<port>/" followed by `path`.
    QByteArray url(const QByteArray& path) const;
    QList<QByteArray> requests() const;

private:
    void serve();
    void answer(int connection);

    int mListener = -1;
    int mPort = 0;
    int mWake[2] = {-1, -1};
    std::thread mThread;
    mutable std::mutex mLock;
    QList<QByteArray> mRequests;
};

} // namespace enginetest
