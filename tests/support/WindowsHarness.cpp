#include "support/WindowsHarness.h"

#include "app/StartUp.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "ui/frmExtension.h"

namespace testsupport {

WindowsHarness::WindowsHarness(bool showMainWindow) : AppHarness(Deferred{})
{
    gMediator->SetUserInterface(&General::Windows());
    Forms::Get<frmExtension>();
    start();
    Form2& main = Forms::Get<Form2>();
    if (showMainWindow)
        main.Show();
}

WindowsHarness::~WindowsHarness()
{
    Forms::UnloadAll();
}

Form2& WindowsHarness::mainWindow()
{
    return Forms::Get<Form2>();
}

Form1& WindowsHarness::batchDialog()
{
    return Forms::Get<Form1>();
}

} // namespace testsupport
