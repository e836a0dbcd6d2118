// SPDX-License-Identifier: MPL-2.0
#include "platform/desktop/Dialogs.h"

#include "platform/desktop/Program.h"
#include "platform/automation/RuntimeError.h"

#include <cstdio>

namespace platform {

namespace {

// Asks nobody: for a program without windows.
class HeadlessDialogs final : public DialogProvider {
public:
    MsgResult messageBox(const MessageBoxRequest& r) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(r.caption), qPrintable(r.text));
        switch (r.buttons) {
        case MsgButtons::OK: return MsgResult::OK;
        case MsgButtons::OKCancel: return MsgResult::Cancel;
        case MsgButtons::YesNo: return MsgResult::No;
        case MsgButtons::YesNoCancel: return MsgResult::Cancel;
        }
        return MsgResult::Cancel;
    }
    std::optional<QString> fileDialog(const FileDialogRequest&) override { return std::nullopt; }
    QString browseForFolder(const QString&) override { return QString(); }
    void runModal(QObject*, QObject*) override {}
};

DialogProvider* gProvider = nullptr;

} // namespace

DialogProvider& Dialogs()
{
    static HeadlessDialogs headless;
    return gProvider ? *gProvider : headless;
}

void SetDialogProvider(DialogProvider* provider)
{
    gProvider = provider;
}

MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& caption, QObject* owner)
{
    MessageBoxRequest request;
    request.text = text;
    request.buttons = buttons;
    request.icon = icon;
    request.caption = caption.isEmpty() ? AppTitle() : caption;
    request.owner = owner;
    return Dialogs().messageBox(request);
}

void ShowModal(QObject* window, QObject* owner)
{
    Dialogs().runModal(window, owner);
}

void RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const RuntimeError& e) {
        MsgBox(e.description(), MsgButtons::OK, MsgIcon::Critical);
    }
}

} // namespace platform
