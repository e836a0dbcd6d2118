// SPDX-License-Identifier: MPL-2.0
#pragma once

// What the logic asks of the windows beyond the models they show: start-up
// installs the windows' implementation in the Mediator. Without one (the
// command line, tests of the logic) nothing is shown and nothing fails.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Shows the main window modeless; an already visible one stays where it is.
    void ShowMainWindow() { UserInterface_ShowMainWindow(); }
    // Hides the main window's "Next Document" button.
    void HideNextButton() { UserInterface_HideNextButton(); }

protected:
    virtual void UserInterface_ShowMainWindow() = 0;
    virtual void UserInterface_HideNextButton() = 0;
};
