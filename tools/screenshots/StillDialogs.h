// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/desktop/Dialogs.h"

#include <QStringList>

// Answers the program's modal questions without showing anything: folders
// from a list, every file dialog cancelled, every message box "OK"; modal
// windows are only shown.
class StillDialogs final : public platform::DialogProvider {
public:
    QStringList folderAnswers;

    platform::MsgResult messageBox(const platform::MessageBoxRequest& request) override;
    std::optional<QString> fileDialog(const platform::FileDialogRequest& request) override;
    QString browseForFolder(const QString& prompt) override;
    void runModal(QObject* window, QObject* owner) override;
};
