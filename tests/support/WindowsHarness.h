// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "support/AppHarness.h"

#include <functional>

class Form1;
class Form2;
class Form3;

namespace testsupport {

// The program with its windows, against the scripted server and dialogs.
// Either loaded as start-up loads it (the main window shown when asked) but
// without the start chooser, or not started at all: the test runs
// General::Main itself with runMain. The windows are unloaded at the end.
class WindowsHarness : public AppHarness {
public:
    explicit WindowsHarness(bool showMainWindow = false);
    struct NotStarted {};
    explicit WindowsHarness(NotStarted) : AppHarness(Deferred{}) {}
    ~WindowsHarness() override;

    Form2& mainWindow();
    Form1& batchDialog();

    // Runs General::Main with `files` as the program does; `inChooser` acts
    // while the start chooser is shown, `inBatchDialog` while the batch
    // dialog is.
    void runMain(const QStringList& files = {});
    std::function<void(Form3&)> inChooser;
    std::function<void(Form1&)> inBatchDialog;
    // Whether the main window was shown when the start chooser came up.
    bool mainVisibleBehindChooser = false;
};

} // namespace testsupport
