#pragma once

// Helpers shared by the window tests: a browser that is never started, an
// environment variable set for one scope, the texts of a list box.
#include "platform/desktop/Browser.h"
#include "support/ScopedEnv.h"

#include <QByteArray>
#include <QList>
#include <QAbstractItemView>
#include <QItemSelectionModel>
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

using testsupport::ScopedEnv;

// The texts a list shows, row by row.
inline QStringList Entries(const QAbstractItemView* list)
{
    QStringList texts;
    const QAbstractItemModel* model = list->model();
    for (int i = 0; model && i < model->rowCount(); ++i)
        texts << model->index(i, 0).data().toString();
    return texts;
}

// Selects exactly the rows `rows` of a list, as the user would.
inline void SelectRows(QAbstractItemView* list, const QList<int>& rows)
{
    list->selectionModel()->clearSelection();
    for (int row : rows)
        list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
}

// The widgets Tab visits, in order, starting at `first`.
inline QList<QWidget*> TabChain(QWidget* first)
{
    QList<QWidget*> chain;
    QWidget* w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(w->window()) && w->isEnabled())
            chain.append(w);
        w = w->nextInFocusChain();
    } while (w && w != first);
    return chain;
}

} // namespace uitest
