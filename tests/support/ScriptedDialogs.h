// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/desktop/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QObject;

namespace testsupport {

// Answers every modal choice from a script and records what was asked.
// Installed for its lifetime; the previous provider comes back afterwards.
class ScriptedDialogs final : public platform::DialogProvider {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Message boxes: every box is recorded; the answer is the next queued
    // one, or OK / the first button when none is queued.
    QList<platform::MessageBoxRequest> messages;
    QList<platform::MsgResult> messageAnswers;

    // File dialogs: recorded; answered with the next queued answer, where
    // nullopt means "cancelled". With none queued: cancelled.
    QList<platform::FileDialogRequest> fileRequests;
    QList<std::optional<QString>> fileAnswers;

    // Folder browser: recorded prompts; answered with the next queued text
    // (empty text = cancelled). With none queued: cancelled.
    QStringList folderPrompts;
    QStringList folderAnswers;

    // Modal windows: the window titles shown modal, in order. `onModal`, when
    // set, runs while the window is "shown" (it may click its buttons); the
    // window is hidden afterwards if it is still visible.
    QStringList modalTitles;
    std::function<void(QObject*)> onModal;

    // Called during each message box, file dialog or folder browse (tests
    // use it to act while a dialog "is open").
    std::function<void()> duringDialog;

    platform::MsgResult messageBox(const platform::MessageBoxRequest& request) override;
    std::optional<QString> fileDialog(const platform::FileDialogRequest& request) override;
    QString browseForFolder(const QString& prompt) override;
    void runModal(QObject* window, QObject* owner) override;

    // The recorded message boxes, in order, each as "caption|text|icon|
    // buttons" with the icon and the buttons by name ("Exclamation", "OK").
    QStringList boxes() const;

private:
    platform::DialogProvider* mPrevious;
};

} // namespace testsupport
