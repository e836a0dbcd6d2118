#include "support/ScriptedDialogs.h"

#include <QWidget>

namespace testsupport {

namespace {
platform::DialogProvider* gInstalled = nullptr;
}

ScriptedDialogs::ScriptedDialogs() : mPrevious(gInstalled)
{
    gInstalled = this;
    platform::SetDialogProvider(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    gInstalled = mPrevious;
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

QString ScriptedDialogs::browseForFolder(const QString& prompt, QWidget*)
{
    folderPrompts.append(prompt);
    if (duringDialog)
        duringDialog();
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

void ScriptedDialogs::runModal(QWidget* window, QWidget*)
{
    modalTitles.append(window->windowTitle());
    window->show();
    if (onModal)
        onModal(window);
    if (window->isVisible())
        window->hide();
}

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList texts;
    for (const auto& m : messages)
        texts.append(m.text);
    return texts;
}

} // namespace testsupport
