// Start-up as the program does it: the main window, then the start chooser;
// or, without a word processor, one message and the end.
#include "app/StartUp.h"
#include "core/DocumentList.h"
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
