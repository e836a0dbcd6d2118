#include "app/StartUp.h"

#include "core/ExtensionList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "fs/clsFileSystem.h"
#include "pipeline/Chain.h"
#include "platform/Dialogs.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Forms.h"
#include "ui/WindowsUserInterface.h"
#include "ui/frmExtension.h"

#include <QDir>

namespace General {

namespace {

// Makes sure the extension list accepts `path`'s extension.
void acceptExtensionOf(const QString& path)
{
    QString extension = clsFileSystem().GetFileExtension(path).toLower();
    gAccepted = false;
    Chain::BuildExtensionChain()->sendToChain(extension);
    if (!gAccepted)
        gMediator->Extensions().AddItem(extension);
}

} // namespace

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
        const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(file));
        acceptExtensionOf(path);
        gMediator->OpenDocument(path);
    }
}

} // namespace General
