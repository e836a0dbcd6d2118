// SPDX-License-Identifier: MPL-2.0
#include "app/StartUp.h"

#include "app/ConvertCommand.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "platform/desktop/Dialogs.h"
#include "platform/files/FileNames.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Forms.h"
#include "ui/WindowsUserInterface.h"
#include "ui/frmExtension.h"

#include <cstdio>
#include <unistd.h>

namespace General {

UserInterface& Windows()
{
    static WindowsUserInterface windows;
    return windows;
}

void Main(const QStringList& files)
{
    gMediator = std::make_shared<Mediator>();
    gMediator->SetUserInterface(&Windows());
    // The extension manager is loaded, hidden, before anything judges a file.
    Forms::Get<frmExtension>();
    gMediator->init();
    Form2& main = Forms::Get<Form2>();
    main.Show();
    if (files.isEmpty()) {
        platform::ShowModal(&Forms::Get<Form3>(), &main);
        return;
    }
    for (const QString& file : files) {
        gMediator->OpenNamedDocument(platform::AbsolutePath(file));
    }
}

int Convert(const ConvertOptions& options)
{
    gMediator = std::make_shared<Mediator>();
    ConvertCommand command(options, stdin, stdout, ::isatty(STDERR_FILENO) ? stderr : nullptr);
    return command.Run();
}

} // namespace General
