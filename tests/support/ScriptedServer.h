// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/LateBinding.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace testsupport {

// An automation server that answers the seven operations from a script,
// records every call with its arguments, fails any operation on demand and
// writes a small real file on each FileSave (unless told not to), so tests can
// look at what a conversion produced.
class ScriptedServer final : public platform::Dispatchable {
public:
    struct Call {
        QString member;
        QList<platform::Value> args;
        quint64 eventPasses; // event passes run before this call
    };

    ScriptedServer();

    // What envDocBlank returns.
    platform::Value docBlank = platform::Value(false);
    // What envMacroPlaying returns, one value per query; once used up, False.
    QList<platform::Value> macroPlaying;
    // Write a file on FileSave (the text "saved <source>" with the format).
    bool writeFiles = true;
    // Record calls (a benchmark turns this off).
    bool recordCalls = true;
    // Called at every recorded call, once it is recorded (tests look at the
    // program while a call is under way).
    std::function<void()> duringCall;

    // Makes `member` fail; with `path`, only when the call's path argument
    // or the current document is that path.
    void failOn(const QString& member, const QString& path = QString());
    // Adds an optional member the server lacks otherwise ("BeginRun",
    // "WaitForStart", "AnnounceDocuments", "envConversionNotes"), recorded
    // like the others, which answers `answer`; with `failing`, it fails.
    void offer(const QString& member, bool failing = false, const platform::Value& answer = {});

    QList<Call> calls;
    // The members called, in order.
    QStringList memberNames() const;
    // The path arguments of the calls to `member`, in order.
    QStringList pathsOf(const QString& member) const;
    // The temporary copies (".TMP") it was asked to save that still exist.
    QStringList tempCopiesLeft() const;
    bool documentOpen() const { return !mCurrent.isEmpty(); }

private:
    void addScripted(const QString& member, int maxArgs,
                     const std::function<platform::Value(const QList<platform::Value>&)>& answer);
    void record(const QString& member, const QList<platform::Value>& args);
    void maybeFail(const QString& member, const QString& path) const;

    struct Failure {
        QString member;
        QString path;
    };
    QList<Failure> mFailures;
    QString mCurrent;
};

// Registers a new ScriptedServer under "WordPerfect.PerfectScript" for its
// lifetime; the server created by the program is `server`.
class ScriptedServerRegistration final {
public:
    ScriptedServerRegistration();
    ~ScriptedServerRegistration();
    std::shared_ptr<ScriptedServer> server;
};

} // namespace testsupport
