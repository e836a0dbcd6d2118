// SPDX-License-Identifier: MPL-2.0
#pragma once

// The desktop room (platform/desktop): what the desktop gives the program
// behind seams tests can answer: message boxes and dialogs (this file and
// CommonDialog), event passes (EventPass), the program's end (Program) and
// the default web browser (Browser, DesktopBrowser).

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QObject;

namespace platform {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgResult { OK = 1, Cancel = 2, Yes = 6, No = 7 };

// Owners and windows are plain objects here: the logic that asks for a
// dialog knows no window class. The provider that shows real dialogs treats
// them as the windows they are.
struct MessageBoxRequest {
    QString text;
    MsgButtons buttons = MsgButtons::OK;
    MsgIcon icon = MsgIcon::None;
    QString caption; // never empty: MsgBox puts the program's title in
    QObject* owner = nullptr;
};

struct FileDialogRequest {
    enum class Kind { Open, SaveAs };
    Kind kind = Kind::Open;
    QString fileName;     // preset name (may be a full path)
    QStringList filters;  // Qt form: "Description (*.a *.b)" or "*.doc"
    bool mustExist = false; // only an existing file can be chosen (Open)
    QString title;
    QObject* owner = nullptr;
};

// Every modal choice the program asks of the user goes through one provider:
// start-up installs the one that shows Qt's dialogs, tests install one that
// answers from a script and records what was asked. Without either (the
// command line, which has no windows) nobody is asked: message boxes go to
// standard error and take their default answer, file and folder dialogs count
// as cancelled. Nothing modal may block a test.
class DialogProvider {
public:
    virtual ~DialogProvider() = default;

    virtual MsgResult messageBox(const MessageBoxRequest& request) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> fileDialog(const FileDialogRequest& request) = 0;
    // The chosen folder's full path without a trailing separator (a root
    // keeps its own), or empty text when the user cancelled.
    virtual QString browseForFolder(const QString& prompt) = 0;
    // Shows `window` modal and returns once it is hidden or closed.
    virtual void runModal(QObject* window, QObject* owner) = 0;
};

// The provider in use. SetDialogProvider(nullptr) restores the one that asks
// nobody.
DialogProvider& Dialogs();
void SetDialogProvider(DialogProvider* provider);

// A message box; an empty caption means the program's title.
MsgResult MsgBox(const QString& text, MsgButtons buttons = MsgButtons::OK,
                 MsgIcon icon = MsgIcon::None, const QString& caption = QString(),
                 QObject* owner = nullptr);

// Shows `window` modal through the provider.
void ShowModal(QObject* window, QObject* owner = nullptr);

// Runs a window's event handler. A failure that no handler of the program
// caught is reported in a message box instead of ending the program.
void RunHandler(const std::function<void()>& handler);

} // namespace platform
