// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// A program to start and its arguments; no shell is involved.
struct BrowserCommand {
    QString program;
    QStringList arguments;
};

// Finding and starting the desktop's default web browser. The real one asks
// the desktop (DesktopBrowser); tests install one that says "no browser" or
// "start fails" without starting anything.
class BrowserProvider {
public:
    virtual ~BrowserProvider() = default;

    // The command that opens `address` in the desktop's default browser, with
    // the address as one argument of its own; nothing when the desktop names
    // no browser. Writes no file.
    virtual std::optional<BrowserCommand> defaultBrowser(const QString& address) = 0;
    // Starts the command and leaves it running; false when it could not be
    // started.
    virtual bool startDetached(const BrowserCommand& command) = 0;
};

// The provider in use. SetBrowserProvider(nullptr) restores the desktop's.
BrowserProvider& Browser();
void SetBrowserProvider(BrowserProvider* provider);

} // namespace platform
