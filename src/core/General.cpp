#include "core/General.h"

#include "core/Mediator.h"
#include "platform/Dialogs.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Forms.h"
#include "ui/frmExtension.h"

std::shared_ptr<Mediator> gMediator;
bool gAccepted = false;
std::shared_ptr<platform::LateBound> gAutomation;

namespace General {

void Main()
{
    gMediator = std::make_shared<Mediator>();
    // The extension list must exist before anything judges a file.
    Forms::Get<frmExtension>();
    gMediator->init();
    Form2& main = Forms::Get<Form2>();
    main.Show();
    platform::ShowModal(&Forms::Get<Form3>(), &main);
}

} // namespace General
