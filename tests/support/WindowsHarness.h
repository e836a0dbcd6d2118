#pragma once

#include "support/AppHarness.h"

class Form1;
class Form2;

namespace testsupport {

// The program as start-up starts it, with its windows (the main window
// loaded, shown when asked), against the scripted server and dialogs, but
// without the start chooser. The windows are unloaded at the end.
class WindowsHarness : public AppHarness {
public:
    explicit WindowsHarness(bool showMainWindow = false);
    ~WindowsHarness() override;

    Form2& mainWindow();
    Form1& batchDialog();
};

} // namespace testsupport
