// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "core/UserInterface.h"

// What the logic asks of the windows, carried out on them: start-up installs
// it in the Mediator.
class WindowsUserInterface final : public UserInterface {
protected:
    void UserInterface_ShowMainWindow() override;
    void UserInterface_HideNextButton() override;
};
