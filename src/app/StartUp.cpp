#include "app/StartUp.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "platform/Dialogs.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Forms.h"
#include "ui/WindowsUserInterface.h"
#include "ui/frmExtension.h"

namespace General {

UserInterface& Windows()
{
    static WindowsUserInterface windows;
    return windows;
}

void Main()
{
    gMediator = std::make_shared<Mediator>();
    gMediator->SetUserInterface(&Windows());
    // The extension manager is loaded, hidden, before anything judges a file.
    Forms::Get<frmExtension>();
    gMediator->init();
    Form2& main = Forms::Get<Form2>();
    main.Show();
    platform::ShowModal(&Forms::Get<Form3>(), &main);
}

} // namespace General
