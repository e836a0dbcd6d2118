// SPDX-License-Identifier: MPL-2.0
#pragma once

// Helpers shared by the window tests: a browser that is never started, the
// texts of a list box.
#include "platform/desktop/Browser.h"

#include <QList>
#include <QAbstractItemView>
#include <QString>
#include <QStringList>
#include <optional>

namespace uitest {

// Stands in for the desktop's browser: answers "no browser" or a command,
// and records what would have been started instead of starting it.
class FakeBrowser final : public platform::BrowserProvider {
public:
    FakeBrowser() { platform::SetBrowserProvider(this); }
    ~FakeBrowser() override { platform::SetBrowserProvider(nullptr); }

    // The program the desktop names; empty text: no browser.
    QString program;
    bool startSucceeds = true;

    QStringList askedFor;
    QList<platform::BrowserCommand> started;

    std::optional<platform::BrowserCommand> defaultBrowser(const QString& address) override
    {
        askedFor.append(address);
        if (program.isEmpty())
            return std::nullopt;
        return platform::BrowserCommand{program, {QStringLiteral("--new-window"), address}};
    }
    bool startDetached(const platform::BrowserCommand& command) override
    {
        if (!startSucceeds)
            return false;
        started.append(command);
        return true;
    }
};

// The texts a list shows, row by row.
inline QStringList Entries(const QAbstractItemView* list)
{
    QStringList texts;
    const QAbstractItemModel* model = list->model();
    for (int i = 0; model && i < model->rowCount(); ++i)
        texts << model->index(i, 0).data().toString();
    return texts;
}

} // namespace uitest
