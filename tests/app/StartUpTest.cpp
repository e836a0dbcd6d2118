// SPDX-License-Identifier: MPL-2.0
// Start-up as the program does it: the documents named, each straight to
// Save As; or, without a word processor, one message and the end. (The main
// window, then the start chooser: the start chooser's tests.)
#include "app/ConvertOptions.h"
#include "app/StartUp.h"
#include "core/DocumentList.h"
#include "core/ExtensionList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "modes/StateManager.h"
#include "platform/automation/ProgIdRegistry.h"
#include "support/WindowsHarness.h"
#include "ui/Form2.h"
#include "ui/Forms.h"

#include <gtest/gtest.h>

using testsupport::ProgramEnded;
using testsupport::WindowsHarness;

TEST(StartUp, WithoutAWordProcessorOneMessageAndTheProgramEnds)
{
    WindowsHarness app{WindowsHarness::NotStarted{}};
    app.withoutServer();
    ASSERT_FALSE(platform::ProgIdRegistry::IsRegistered("WordPerfect.PerfectScript"));

    EXPECT_THROW(app.runMain(), ProgramEnded);

    EXPECT_EQ(app.dialogs().boxes(), QStringList{"Error!|Could not find WordPerfect|Exclamation|OK"});
    EXPECT_TRUE(app.dialogs().modalTitles.isEmpty());
    EXPECT_FALSE(Forms::IsLoaded<Form2>() && Forms::Get<Form2>().isVisible());

    // Without windows: nothing to convert needs no word processor; anything
    // to convert ends the program with the code of "no office".
    ConvertOptions options;
    options.paths = {app.tempDir()};
    options.quiet = true;
    EXPECT_EQ(General::Convert(options), 0);
    options.paths = {app.path("a.wpd")};
    try {
        General::Convert(options);
        ADD_FAILURE() << "converted";
    } catch (const ProgramEnded& end) {
        EXPECT_EQ(end.exitCode, 3);
    }
}

TEST(StartUp, DocumentsOpenedFromTheDesktopGoStraightToSaveAsOneAfterTheOther)
{
    WindowsHarness app{WindowsHarness::NotStarted{}};
    const QString first = testsupport::WriteFile(app.path("in/report.wpd"));
    // As the desktop names it: a document without an extension.
    const QString second = testsupport::WriteFile(app.path("in/old letter"));
    app.dialogs().fileAnswers = {app.path("report.doc"), app.path("letter.doc")};

    app.runMain({first, second});

    // No start chooser; each document its Save As with the proposed name.
    EXPECT_TRUE(app.dialogs().modalTitles.isEmpty());
    ASSERT_EQ(app.dialogs().fileRequests.size(), 2);
    for (const auto& request : app.dialogs().fileRequests)
        EXPECT_EQ(request.kind, platform::FileDialogRequest::Kind::SaveAs);
    EXPECT_EQ(app.dialogs().fileRequests[0].fileName, app.path("in") + "//report.doc");
    EXPECT_EQ(app.dialogs().fileRequests[1].fileName, app.path("in") + "//old letter.doc");
    EXPECT_EQ(app.server().pathsOf("FileOpen"), (QStringList{first, second}));
    // The last document's row; the extension list is what it was: it
    // decides what a folder yields, not what the user names.
    EXPECT_EQ(gMediator->Documents().CellText(0, 1), "Converted");
    EXPECT_EQ(gMediator->Extensions().stringList(), QStringList{"wpd"});
    EXPECT_TRUE(app.mainWindow().isVisible());
    EXPECT_EQ(gMediator->stateManager()->current(), gMediator->stateManager()->stateOne());
}
