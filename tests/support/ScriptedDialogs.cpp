// SPDX-License-Identifier: MPL-2.0
#include "support/ScriptedDialogs.h"

#include <QMetaObject>
#include <QPointer>
#include <QVariant>

namespace testsupport {

ScriptedDialogs::ScriptedDialogs() : mPrevious(&platform::Dialogs())
{
    platform::SetDialogProvider(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    platform::SetDialogProvider(mPrevious);
}

platform::MsgResult ScriptedDialogs::messageBox(const platform::MessageBoxRequest& request)
{
    messages.append(request);
    if (duringDialog)
        duringDialog();
    if (!messageAnswers.isEmpty())
        return messageAnswers.takeFirst();
    switch (request.buttons) {
    case platform::MsgButtons::YesNo:
    case platform::MsgButtons::YesNoCancel:
        return platform::MsgResult::Yes;
    default:
        return platform::MsgResult::OK;
    }
}

std::optional<QString> ScriptedDialogs::fileDialog(const platform::FileDialogRequest& request)
{
    fileRequests.append(request);
    if (duringDialog)
        duringDialog();
    if (fileAnswers.isEmpty())
        return std::nullopt;
    return fileAnswers.takeFirst();
}

QString ScriptedDialogs::browseForFolder(const QString& prompt)
{
    folderPrompts.append(prompt);
    if (duringDialog)
        duringDialog();
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

void ScriptedDialogs::runModal(QObject* window, QObject*)
{
    // Windows are reached through their properties and slots: this support
    // serves tests of the logic too, which know no window class.
    QPointer<QObject> guard(window);
    modalTitles.append(window->property("windowTitle").toString());
    QMetaObject::invokeMethod(window, "show");
    if (onModal)
        onModal(window);
    if (guard && guard->property("visible").toBool())
        QMetaObject::invokeMethod(guard, "hide");
}

QStringList ScriptedDialogs::boxes() const
{
    static const char* const icons[] = {"None", "Critical", "Question", "Exclamation", "Information"};
    static const char* const buttons[] = {"OK", "OKCancel", "YesNo", "YesNoCancel"};
    QStringList shown;
    for (const auto& m : messages)
        shown.append(QStringList{m.caption, m.text, QLatin1String(icons[int(m.icon)]),
                                 QLatin1String(buttons[int(m.buttons)])}
                         .join(QLatin1Char('|')));
    return shown;
}

} // namespace testsupport
