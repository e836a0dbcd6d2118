// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "support/QStringPrinter.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedServer.h"
#include "support/TestFiles.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <stdexcept>

class Mediator;

namespace testsupport {

// Thrown instead of ending the process when the program ends itself.
struct ProgramEnded : std::runtime_error {
    explicit ProgramEnded(int code) : std::runtime_error("program ended"), exitCode(code) {}
    int exitCode;
};

// The program's logic started as start-up starts it, without windows,
// against the scripted server and the scripted dialogs: gMediator is
// initialised and the extension list holds "wpd". Everything is torn down
// again at the end (globals cleared). The program's folder is a temporary
// folder that holds a macro file.
class AppHarness {
public:
    AppHarness();
    virtual ~AppHarness();

    ScriptedServer& server() { return *mRegistration->server; }
    ScriptedDialogs& dialogs() { return mDialogs; }
    Mediator& mediator();
    // From now on no word processor is registered.
    void withoutServer() { mRegistration.reset(); }

    // Starts a batch from `source` into `target` as the batch dialog's
    // "Start" does (batch mode current, a new cmd1 executed); returns when
    // the batch has ended.
    void startBatch(const QString& source, const QString& target);
    void startBatch(const BatchFolders& folders) { startBatch(folders.source, folders.target); }

    // A fresh temporary folder for the test's own files, and a path in it.
    QString tempDir() const { return mTemp.path(); }
    QString path(const QString& name) const { return mTemp.filePath(name); }
    // A batch's source folder holding `documents` and an empty target folder,
    // in the temporary folder.
    BatchFolders folders(const QStringList& documents = {QStringLiteral("a.wpd")}) const
    {
        return BatchFolders(tempDir(), documents);
    }

    // Texts of the document list, row by row: "path|status".
    QStringList rows();
    // The failure reason of the row for `path` (empty when none).
    QString reasonOf(const QString& path);

protected:
    // For harnesses that start the logic themselves: no Mediator yet.
    struct Deferred {};
    explicit AppHarness(Deferred);

private:
    std::optional<ScriptedServerRegistration> mRegistration{std::in_place};
    ScriptedDialogs mDialogs;
    QTemporaryDir mTemp;
    QTemporaryDir mAppDir;
};

} // namespace testsupport
