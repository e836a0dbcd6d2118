// Start-up as the program does it: the main window, then the start chooser;
// or, without a word processor, one message and the end.
#include "app/ConvertOptions.h"
#include "app/StartUp.h"
#include "core/DocumentList.h"
#include "core/ExtensionList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "modes/StateManager.h"
#include "platform/ProgIdRegistry.h"
#include "platform/Program.h"
#include "support/AppHarness.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "ui/frmExtension.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using testsupport::ProgramEnded;

namespace {

// Tears down what Main set up outside a harness.
struct MainCleanup {
    ~MainCleanup()
    {
        Forms::UnloadAll();
        gMediator.reset();
        gAutomation.reset();
        platform::SetEndProgramHandler({});
    }
};

} // namespace

TEST(StartUp, WithoutAWordProcessorOneMessageAndTheProgramEnds)
{
    MainCleanup cleanup;
    testsupport::ScriptedDialogs dialogs;
    platform::SetEndProgramHandler([](int code) { throw ProgramEnded(code); });
    ASSERT_FALSE(platform::ProgIdRegistry::IsRegistered("WordPerfect.PerfectScript"));

    EXPECT_THROW(General::Main(), ProgramEnded);

    ASSERT_EQ(dialogs.messages.size(), 1);
    const auto& box = dialogs.messages[0];
    EXPECT_EQ(box.text, "Could not find WordPerfect");
    EXPECT_EQ(box.caption, "Error!");
    EXPECT_EQ(box.icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(box.buttons, platform::MsgButtons::OK);
    EXPECT_TRUE(dialogs.modalTitles.isEmpty());
    EXPECT_FALSE(Forms::IsLoaded<Form2>() && Forms::Get<Form2>().isVisible());

    // Without windows: nothing to convert needs no word processor; anything
    // to convert ends the program with the code of "no office".
    QTemporaryDir empty;
    ConvertOptions options;
    options.paths = {empty.path()};
    options.quiet = true;
    EXPECT_EQ(General::Convert(options), 0);
    options.paths = {empty.path() + "/a.wpd"};
    try {
        General::Convert(options);
        ADD_FAILURE() << "converted";
    } catch (const ProgramEnded& end) {
        EXPECT_EQ(end.exitCode, 3);
    }
}

TEST(StartUp, MainShowsTheMainWindowThenTheStartChooserAndStaysInTheStartState)
{
    MainCleanup cleanup;
    testsupport::ScriptedServerRegistration server;
    testsupport::ScriptedDialogs dialogs;
    bool mainVisibleWhenChooserShown = false;
    dialogs.onModal = [&](QObject* w) {
        mainVisibleWhenChooserShown =
            Forms::Get<Form2>().isVisible() && w->property("windowTitle").toString() == "Quick Start";
    };

    General::Main();

    EXPECT_EQ(dialogs.modalTitles, QStringList{"Quick Start"});
    EXPECT_TRUE(mainVisibleWhenChooserShown);
    Form2& main = Forms::Get<Form2>();
    EXPECT_EQ(main.windowTitle(), "Tallowin");
    EXPECT_EQ(gMediator->Documents().Count(), 0);
    EXPECT_FALSE(main.Next()->isVisible());
    EXPECT_EQ(gMediator->stateManager()->current(), gMediator->stateManager()->stateThree());
    EXPECT_EQ(gMediator->Extensions().stringList(), QStringList{"wpd"});
    EXPECT_TRUE(Forms::IsLoaded<frmExtension>());
    EXPECT_FALSE(Forms::Get<frmExtension>().isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // The windows are what the logic shows.
    EXPECT_EQ(gMediator->userInterface(), &General::Windows());
}

TEST(StartUp, DocumentsOpenedFromTheDesktopGoStraightToSaveAsOneAfterTheOther)
{
    MainCleanup cleanup;
    testsupport::ScriptedServerRegistration server;
    testsupport::ScriptedDialogs dialogs;
    QTemporaryDir dir;
    platform::SetAppPath(dir.path());
    testsupport::AppHarness::makeFile(dir.path(), "RmvDelayCode.wcm", "; macro\n");
    const QString first = testsupport::AppHarness::makeFile(dir.path() + "/in", "report.wpd");
    // As the desktop names it: a document without an extension.
    const QString second = testsupport::AppHarness::makeFile(dir.path() + "/in", "old letter");
    dialogs.fileAnswers = {dir.path() + "/report.doc", dir.path() + "/letter.doc"};

    General::Main({first, second});
    platform::SetAppPath(QString());

    // No start chooser; each document its Save As with the proposed name.
    EXPECT_TRUE(dialogs.modalTitles.isEmpty());
    ASSERT_EQ(dialogs.fileRequests.size(), 2);
    for (const auto& request : dialogs.fileRequests)
        EXPECT_EQ(request.kind, platform::FileDialogRequest::Kind::SaveAs);
    EXPECT_EQ(dialogs.fileRequests[0].fileName, dir.path() + "/in//report.doc");
    EXPECT_EQ(dialogs.fileRequests[1].fileName, dir.path() + "/in//old letter.doc");
    EXPECT_EQ(server.server->pathsOf("FileOpen"), (QStringList{first, second}));
    // The last document's row; the extension list is what it was: it
    // decides what a folder yields, not what the user names.
    EXPECT_EQ(gMediator->Documents().CellText(0, 1), "Converted");
    EXPECT_EQ(gMediator->Extensions().stringList(), QStringList{"wpd"});
    EXPECT_TRUE(Forms::Get<Form2>().isVisible());
    EXPECT_EQ(gMediator->stateManager()->current(), gMediator->stateManager()->stateOne());
}
