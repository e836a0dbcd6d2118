// SPDX-License-Identifier: MPL-2.0
#include "ui/WindowsUserInterface.h"

#include "ui/Form2.h"
#include "ui/Forms.h"

#include <QPushButton>

void WindowsUserInterface::UserInterface_ShowMainWindow()
{
    Forms::Get<Form2>().Show();
}

void WindowsUserInterface::UserInterface_HideNextButton()
{
    Forms::Get<Form2>().Next()->setVisible(false);
}
