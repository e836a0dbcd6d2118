#include "app/CommandLine.h"
#include "app/ConvertCommand.h"
#include "app/StartUp.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "engine/EngineRegistration.h"
#include "platform/Dialogs.h"
#include "platform/Program.h"
#include "platform/gui/QtDialogProvider.h"

#include <QApplication>
#include <cstdio>
#include <unistd.h>

namespace {

// --convert: no windows, no display; messages go to standard error.
int convert(int argc, char** argv, const CommandLine::Options& options)
{
    QCoreApplication app(argc, argv);
    platform::EndProgramOnSignals();
    engine::RegisterEngine();
    gMediator = std::make_shared<Mediator>();
    gMediator->init();
    ConvertCommand command({options.paths, options.target, options.json}, stdin, stdout,
                           ::isatty(STDERR_FILENO) ? stderr : nullptr);
    // Ends as the windows do: the office and the engine's files go at once.
    platform::EndProgram(command.Run());
}

} // namespace

int main(int argc, char** argv)
{
    // --help, --version and a wrong command line are answered before any
    // application object exists: no display is needed and no office starts.
    const CommandLine::Options options = CommandLine::Parse(CommandLine::Arguments(argc, argv));
    if (const std::optional<int> exitCode = CommandLine::AnswerAtOnce(options))
        return *exitCode;
    if (options.mode == CommandLine::Mode::Convert)
        return convert(argc, argv, options);

    // The desktop entry's name: lets the desktop match the windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TALLOWIN_APP_ID));
    QApplication app(argc, argv);
    // This program's dialogs are Qt's, and its word processor the office engine.
    platform::QtDialogProvider dialogs;
    platform::SetDialogProvider(&dialogs);
    platform::EndProgramOnSignals();
    engine::RegisterEngine();
    General::Main(options.files);
    return app.exec();
}
