// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/desktop/Dialogs.h"

namespace platform {

// Shows Qt's own dialogs: message boxes, the file-open and Save As dialogs,
// the folder chooser, and windows run modal in a local event loop. Start-up
// installs it; owners and windows are the program's widgets.
class QtDialogProvider final : public DialogProvider {
public:
    MsgResult messageBox(const MessageBoxRequest& request) override;
    std::optional<QString> fileDialog(const FileDialogRequest& request) override;
    QString browseForFolder(const QString& prompt) override;
    void runModal(QObject* window, QObject* owner) override;
};

} // namespace platform
