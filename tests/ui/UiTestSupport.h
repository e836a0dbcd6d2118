#pragma once

// Helpers shared by the window tests: a browser that is never started, an
// environment variable set for one scope, the texts of a list box.
#include "platform/Browser.h"

#include <QByteArray>
#include <QList>
#include <QListWidget>
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

// Sets (or, with a null value, removes) an environment variable for the
// lifetime of the object.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, const QByteArray& value) : mName(name), mOld(qgetenv(name)), mHad(qEnvironmentVariableIsSet(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (mHad)
            qputenv(mName, mOld);
        else
            qunsetenv(mName);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* mName;
    QByteArray mOld;
    bool mHad;
};

inline QStringList Entries(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
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
