// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/server/ServerDiagnostics.h"
#include "engine/server/WordPerfectServer.h"
#include "platform/automation/LateBinding.h"
#include "platform/automation/RuntimeError.h"
#include "support/QStringPrinter.h"
#include "support/TestFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace enginetest {

// One sample document and the texts an independent reader finds in its
// Word conversion.
struct Sample {
    const char* file;
    QStringList texts;
};
const QList<Sample>& Samples();
QString DataPath(const QString& file); // a sample or another test document
QString MacroPath(); // the shipped clean-up macro

// The engine server the program would get, with one office unless
// TALLOWIN_OFFICES says otherwise, shared by the tests of this executable
// (one office start for all of them).
std::shared_ptr<platform::LateBound> SharedServer();
engine::ServerDiagnostics SharedEngine();
// A new engine server with `offices` offices in its pool.
std::shared_ptr<platform::LateBound> NewServer(int offices);
engine::ServerDiagnostics EngineOf(const std::shared_ptr<platform::LateBound>& server);
// Starts every office of the server's pool (as a batch of more documents
// than any pool needs would) and waits until they run.
void StartEveryOffice(const std::shared_ptr<platform::LateBound>& server);

// Calls a member by name, as the program does.
platform::Value Call(const std::shared_ptr<platform::LateBound>& server, const QString& member,
                     const QList<platform::Value>& args = {});

// The whole road of one document, in the order of the conversion jobs, in
// the format the target's extension names. Returns the failure, if any. `notes` receives what envConversionNotes says
// after the Word save.
std::optional<platform::RuntimeError> Convert(const std::shared_ptr<platform::LateBound>& server,
                                              const QString& source, const QString& target,
                                              const QString& macro = MacroPath(), QString* notes = nullptr);
// Convert as an assertion, whose failure message is the failure's description.
::testing::AssertionResult Converts(const std::shared_ptr<platform::LateBound>& server, const QString& source,
                                    const QString& target, QString* notes = nullptr,
                                    const QString& macro = MacroPath());

// Runs `action`, which must fail, and returns its failure (an empty one, and
// a test failure, when it succeeds).
platform::RuntimeError FailureOf(const std::function<void()>& action);
// Whether the failure's description has `text` in it (it says so when not).
::testing::AssertionResult Says(const platform::RuntimeError& failure, const QString& text);

// Closes the open document, if any, ignoring failures (a test's clean-up).
void CloseQuietly(const std::shared_ptr<platform::LateBound>& server);

QByteArray Digest(const QString& path);
// The text catdoc reads from a Word document (empty when it reads nothing).
QString WordText(const QString& path);
// True when catdoc reads the file as a Word document without complaint.
bool WordReadable(const QString& path);
// Every name in `folder`, hidden ones included.
QStringList Entries(const QString& folder);
bool Exists(const QString& path);
using testsupport::ModeOf;
using testsupport::ReadFile;
using testsupport::WriteFile;
// True while a process with this pid exists (and is not a zombie).
bool ProcessAlive(pid_t pid);
// Waits (at most about 5 s) until that process is gone; true when it is.
bool WaitUntilGone(pid_t pid);

// A test with a private temporary folder.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    QString path(const QString& name) const { return mDir.filePath(name); }
    QString copySample(const QString& sample, const QString& name);
    // Converts with the shared server.
    ::testing::AssertionResult converts(const QString& source, const QString& target, QString* notes = nullptr,
                                        const QString& macro = MacroPath())
    {
        return Converts(SharedServer(), source, target, notes, macro);
    }

    QTemporaryDir mDir;
};

} // namespace enginetest
