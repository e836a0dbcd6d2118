#include "app/StartUp.h"
#include "engine/EngineRegistration.h"
#include "platform/Dialogs.h"
#include "platform/gui/QtDialogProvider.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // This program's dialogs are Qt's, and its word processor the office engine.
    platform::QtDialogProvider dialogs;
    platform::SetDialogProvider(&dialogs);
    engine::RegisterEngine();
    General::Main();
    return app.exec();
}
