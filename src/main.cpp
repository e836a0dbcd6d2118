#include "app/CommandLine.h"
#include "app/StartUp.h"
#include "engine/EngineRegistration.h"
#include "platform/Dialogs.h"
#include "platform/gui/QtDialogProvider.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    // --help, --version and a wrong command line are answered before any
    // application object exists: no display is needed and no office starts.
    const CommandLine::Options options = CommandLine::Parse(CommandLine::Arguments(argc, argv));
    if (const std::optional<int> exitCode = CommandLine::AnswerAtOnce(options))
        return *exitCode;
    if (options.mode == CommandLine::Mode::Convert) {
        std::fputs("tallowin: --convert is not available in this build\n", stderr);
        return CommandLine::ExitFailed;
    }

    // The desktop entry's name: lets the desktop match the windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TALLOWIN_APP_ID));
    QApplication app(argc, argv);
    // This program's dialogs are Qt's, and its word processor the office engine.
    platform::QtDialogProvider dialogs;
    platform::SetDialogProvider(&dialogs);
    engine::RegisterEngine();
    General::Main();
    return app.exec();
}
