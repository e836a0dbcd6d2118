// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QList>
#include <QStringList>
#include <chrono>
#include <sys/types.h>

namespace engine {

class WordPerfectServer;

// What tests and benchmarks look at in a server, and the limits they set:
// the offices' processes and memory, the work ahead, the watchdog's limits.
// The program itself needs none of it.
class ServerDiagnostics final {
public:
    explicit ServerDiagnostics(WordPerfectServer& server) : mServer(server) {}

    // Time limits of the watchdog: `base` for every call, plus `perMegabyte`
    // for each MB of the source document. Should the engine itself stop
    // responding, a call is given up `grace` after its limit (the grace
    // covers an office start) and the server fails every later call at once.
    void setTimeLimits(std::chrono::milliseconds base, std::chrono::milliseconds perMegabyte,
                       std::chrono::milliseconds grace = std::chrono::seconds(180));
    // The office is restarted between documents once its resident memory
    // passes `bytes` (0: never).
    void setMemoryLimit(qint64 bytes);
    // After three failed office starts in a row, calls fail at once for
    // `pause` (15 s unless set) before the office is tried again.
    void setStartRetryPause(std::chrono::milliseconds pause);

    // Waits until the background start of every office started so far has
    // ended; raises the failure of office 0.
    void waitForOffice();
    // Office 0's process now (0 when none runs), its memory, and how many
    // offices it has started.
    pid_t officePid();
    qint64 officeResidentBytes();
    qint64 officePeakResidentBytes();
    int officeStarts();
    // The offices of the pool (office 0 among them) and their processes now
    // (0 for one that does not run).
    int officeCount() const;
    QList<pid_t> officePids();
    // The peak resident memory of the offices running now, added up.
    qint64 officesPeakResidentBytes();
    // Waits (blocking) until the pool works on no document, at most `limit`.
    bool waitForWorkAhead(std::chrono::milliseconds limit = std::chrono::seconds(120));
    // How many FileOpen calls the work ahead answered (refusals included),
    // and the private folders it works in (on disk, and in memory-backed
    // storage when there is some).
    int documentsServedAhead() const;
    QStringList workAheadFolders() const;

private:
    WordPerfectServer& mServer;
};

} // namespace engine
