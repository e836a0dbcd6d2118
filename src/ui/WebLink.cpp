// SPDX-License-Identifier: MPL-2.0
#include "ui/WebLink.h"

#include "platform/desktop/Browser.h"
#include "platform/desktop/Dialogs.h"

#include <QWidget>

void WebLink::Open(const QString& address, QWidget* owner)
{
    platform::BrowserProvider& browser = platform::Browser();
    const std::optional<platform::BrowserCommand> command = browser.defaultBrowser(address);
    if (!command) {
        platform::MsgBox(QStringLiteral("Could not find associated Browser"), platform::MsgButtons::OK,
                         platform::MsgIcon::Exclamation, QStringLiteral("Browser Not Found"), owner);
        return;
    }
    if (!browser.startDetached(*command)) {
        platform::MsgBox(QStringLiteral("Web Page not Opened"), platform::MsgButtons::OK,
                         platform::MsgIcon::Exclamation, QStringLiteral("URL Failed"), owner);
    }
}

QString WebLink::MakerAddress()
{
    return QStringLiteral("https://www.marrowfield.example/");
}

QString WebLink::ProductAddress()
{
    return QStringLiteral("https://www.tallowin.example/");
}

QString WebLink::MakerText()
{
    return QStringLiteral("www.marrowfield.example");
}

QString WebLink::ProductText()
{
    return QStringLiteral("www.tallowin.example");
}
