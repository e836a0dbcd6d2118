#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace platform {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgResult { OK = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageBoxRequest {
    QString text;
    MsgButtons buttons = MsgButtons::OK;
    MsgIcon icon = MsgIcon::None;
    QString caption; // never empty: MsgBox puts the program's title in
    QWidget* owner = nullptr;
};

struct FileDialogRequest {
    enum class Kind { Open, SaveAs };
    Kind kind = Kind::Open;
    QString fileName;     // preset name (may be a full path)
    QStringList filters;  // Qt form: "Description (*.a *.b)" or "*.doc"
    bool mustExist = false; // only an existing file can be chosen (Open)
    QString title;
    QWidget* owner = nullptr;
};

// Every modal choice the program asks of the user goes through one provider:
// the real one shows Qt's dialogs, tests install one that answers from a
// script and records what was asked. Nothing modal may block a test.
class DialogProvider {
public:
    virtual ~DialogProvider() = default;

    virtual MsgResult messageBox(const MessageBoxRequest& request) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> fileDialog(const FileDialogRequest& request) = 0;
    // The chosen folder's full path without a trailing separator (a root
    // keeps its own), or empty text when the user cancelled.
    virtual QString browseForFolder(const QString& prompt, QWidget* owner) = 0;
    // Shows `window` modal and returns once it is hidden or closed.
    virtual void runModal(QWidget* window, QWidget* owner) = 0;
};

// The provider in use. SetDialogProvider(nullptr) restores Qt's.
DialogProvider& Dialogs();
void SetDialogProvider(DialogProvider* provider);

// A message box; an empty caption means the program's title.
MsgResult MsgBox(const QString& text, MsgButtons buttons = MsgButtons::OK,
                 MsgIcon icon = MsgIcon::None, const QString& caption = QString(),
                 QWidget* owner = nullptr);

// Shows `window` modal through the provider.
void ShowModal(QWidget* window, QWidget* owner = nullptr);

// Runs a window's event handler. A failure that no handler of the program
// caught is reported in a message box instead of ending the program.
void RunHandler(const std::function<void()>& handler);

} // namespace platform
