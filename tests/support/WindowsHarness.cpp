// SPDX-License-Identifier: MPL-2.0
#include "support/WindowsHarness.h"

#include "app/StartUp.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Forms.h"
#include "ui/frmExtension.h"

namespace testsupport {

WindowsHarness::WindowsHarness(bool showMainWindow) : AppHarness(Deferred{})
{
    gMediator = std::make_shared<Mediator>();
    gMediator->SetUserInterface(&General::Windows());
    Forms::Get<frmExtension>();
    gMediator->init();
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

void WindowsHarness::runMain(const QStringList& files)
{
    dialogs().onModal = [this](QObject* window) {
        if (auto* chooser = qobject_cast<Form3*>(window)) {
            mainVisibleBehindChooser = mainWindow().isVisible();
            if (inChooser)
                inChooser(*chooser);
        } else if (auto* batch = qobject_cast<Form1*>(window); batch && inBatchDialog) {
            inBatchDialog(*batch);
        }
    };
    General::Main(files);
    dialogs().onModal = nullptr;
}

} // namespace testsupport
