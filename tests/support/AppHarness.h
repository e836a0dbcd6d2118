#pragma once

#include "support/QStringPrinter.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedServer.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>
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

    ScriptedServer& server() { return *mRegistration.server; }
    ScriptedDialogs& dialogs() { return mDialogs; }
    Mediator& mediator();

    // Starts a batch from `source` into `target` as the batch dialog's
    // "Start" does (batch mode current, a new cmd1 executed); returns when
    // the batch has ended.
    void startBatch(const QString& source, const QString& target);

    // A fresh temporary folder for the test's own files.
    QString tempDir() const { return mTemp.path(); }
    // Creates `name` in `folder` with a little content; returns its path.
    static QString makeFile(const QString& folder, const QString& name, const QByteArray& content = "x");

    // Texts of the document list, row by row: "path|status".
    QStringList rows();
    // The failure reason of the row for `path` (empty when none).
    QString reasonOf(const QString& path);

protected:
    // For harnesses that add windows: runs before the Mediator's init.
    struct Deferred {};
    explicit AppHarness(Deferred);
    void start();

private:
    ScriptedServerRegistration mRegistration;
    ScriptedDialogs mDialogs;
    QTemporaryDir mTemp;
    QTemporaryDir mAppDir;
};

} // namespace testsupport
