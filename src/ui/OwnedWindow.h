// SPDX-License-Identifier: MPL-2.0
#pragma once

class QWidget;

// Ties a top-level window to the main window as its owner: the window
// manager keeps it in front of the main window (and out of the task bar),
// and it can be centred on it. Call before the window is first mapped (in
// its show event).
class OwnedWindow final {
public:
    // Makes the main window, when it is loaded, the owner of `window`.
    static void AttachToMainWindow(QWidget* window, bool centre);
};
