// SPDX-License-Identifier: MPL-2.0
#include "StillDialogs.h"

#include <QTextStream>
#include <QWidget>

platform::MsgResult StillDialogs::messageBox(const platform::MessageBoxRequest& request)
{
    QTextStream(stderr) << "message: " << request.caption << ": " << request.text << "\n";
    return platform::MsgResult::OK;
}

std::optional<QString> StillDialogs::fileDialog(const platform::FileDialogRequest&)
{
    return std::nullopt;
}

QString StillDialogs::browseForFolder(const QString&)
{
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

void StillDialogs::runModal(QObject* window, QObject*)
{
    if (auto* widget = qobject_cast<QWidget*>(window))
        widget->show();
}
