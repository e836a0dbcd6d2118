#pragma once

#include "support/ScriptedDialogs.h"
#include "support/ScriptedServer.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

class Form1;
class Form2;
class Mediator;

namespace testsupport {

// Thrown instead of ending the process when the program ends itself.
struct ProgramEnded : std::runtime_error {
    explicit ProgramEnded(int code) : std::runtime_error("program ended"), exitCode(code) {}
    int exitCode;
};

// The program started as Main starts it, against the scripted server and the
// scripted dialogs, without the start chooser: gMediator is initialised, the
// extension list holds "wpd", the main window is loaded. Everything is torn
// down again at the end (windows unloaded, globals cleared). The program's
// folder is a temporary folder that holds a macro file.
class AppHarness {
public:
    explicit AppHarness(bool showMainWindow = false);
    ~AppHarness();

    ScriptedServer& server() { return *mRegistration.server; }
    ScriptedDialogs& dialogs() { return mDialogs; }
    Mediator& mediator();
    Form2& mainWindow();
    Form1& batchDialog();

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

private:
    ScriptedServerRegistration mRegistration;
    ScriptedDialogs mDialogs;
    QTemporaryDir mTemp;
    QTemporaryDir mAppDir;
};

} // namespace testsupport
