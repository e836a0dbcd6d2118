// SPDX-License-Identifier: MPL-2.0
#include "app/CommandLine.h"
#include "app/StartUp.h"
#include "engine/server/EngineRegistration.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Program.h"
#include "platform/gui/QtDialogProvider.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // --help, --version, a wrong command line and windows without a display
    // are answered before any application object exists: no display is
    // needed and no office starts.
    const QStringList arguments = CommandLine::Arguments(argc, argv);
    const CommandLine::Options options = CommandLine::Parse(arguments, CommandLine::HasDisplay(arguments));
    if (const std::optional<int> exitCode = CommandLine::AnswerAtOnce(options))
        return *exitCode;
    if (options.mode == CommandLine::Mode::Convert) {
        // No windows and no display.
        QCoreApplication app(argc, argv);
        platform::EndProgramOnSignals();
        engine::RegisterEngine();
        // Ends as the windows do: the offices and the engine's files go at once.
        platform::EndProgram(General::Convert(options));
    }

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
