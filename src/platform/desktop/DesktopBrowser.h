// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/desktop/Browser.h"

namespace platform {

// The freedesktop way to the default web browser: "xdg-settings get
// default-web-browser" (or, failing that, "xdg-mime query default
// x-scheme-handler/http") names a .desktop entry; the entry is looked up in
// the XDG data folders and its Exec line becomes the command, with the
// address as one argument. Nothing is written and no shell runs.
class DesktopBrowser final : public BrowserProvider {
public:
    std::optional<BrowserCommand> defaultBrowser(const QString& address) override;
    bool startDetached(const BrowserCommand& command) override;

    // The desktop entry id of the default browser ("firefox-esr.desktop"),
    // or empty text when the desktop names none.
    static QString QueryDefaultEntry();
    // The XDG data folders, most important first ($XDG_DATA_HOME, then
    // $XDG_DATA_DIRS, with their standard defaults).
    static QStringList DataDirs();
    // The file of desktop entry `entryId` under "applications" in one of
    // `dataDirs` (a "-" in the id may stand for a sub-folder), or empty text.
    static QString FindEntryFile(const QString& entryId, const QStringList& dataDirs);
    // The Exec value of the [Desktop Entry] group of `file`, with the
    // desktop-file string escapes resolved; empty text when there is none.
    static QString ReadExec(const QString& file);
    // Splits an Exec value into program and arguments and puts `address` in
    // place of its URL/file field code (%u, %U, %f, %F) as one argument, or
    // after the last argument when it has none. The other field codes are
    // dropped and "%%" becomes "%". Nothing when the value holds no program
    // or its quoting is broken.
    static std::optional<BrowserCommand> ExpandExec(const QString& exec, const QString& address);
};

} // namespace platform
