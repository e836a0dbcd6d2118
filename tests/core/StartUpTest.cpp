// Start-up, the Mediator's connection to the word processor, the source
// record and the choosing of folders.
#include "core/General.h"
#include "core/Mediator.h"
#include "modes/StateManager.h"
#include "platform/ListView.h"
#include "platform/ProgIdRegistry.h"
#include "platform/Program.h"
#include "platform/TempFiles.h"
#include "support/AppHarness.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "ui/frmExtension.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using testsupport::AppHarness;
using testsupport::ProgramEnded;

namespace {

QStringList entries(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

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
    dialogs.onModal = [&](QWidget* w) {
        mainVisibleWhenChooserShown = Forms::Get<Form2>().isVisible() && w->windowTitle() == "Quick Start";
    };

    General::Main();

    EXPECT_EQ(dialogs.modalTitles, QStringList{"Quick Start"});
    EXPECT_TRUE(mainVisibleWhenChooserShown);
    Form2& main = Forms::Get<Form2>();
    EXPECT_EQ(main.windowTitle(), "Tallowin");
    EXPECT_EQ(main.ListView1().Count(), 0);
    EXPECT_FALSE(main.Next()->isVisible());
    EXPECT_EQ(gMediator->stateManager()->current(), gMediator->stateManager()->stateThree());
    EXPECT_EQ(entries(Forms::Get<frmExtension>().LstExt()), QStringList{"wpd"});
    EXPECT_FALSE(Forms::Get<frmExtension>().isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(Mediator, RecordsTheTempFolderAndPathsExactlyAsGiven)
{
    const QByteArray oldTmp = qgetenv("TMPDIR");
    QTemporaryDir tmp;
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    {
        AppHarness app;
        Mediator& m = app.mediator();
        EXPECT_EQ(m.GetTempFolder(), tmp.path() + "/");
        for (auto get : {&Mediator::GetSourceFolder, &Mediator::GetTgtFolder, &Mediator::GetSourceFile,
                         &Mediator::GetTgtFile})
            EXPECT_TRUE((m.*get)().isEmpty());
        for (const QString& text : {QString("/a/b/"), QString("/a/b"), QString(" spaced "), QString()}) {
            m.SetTgtFolder(text);
            EXPECT_EQ(m.GetTgtFolder(), text);
            m.SetSourceFolder(text);
            EXPECT_EQ(m.GetSourceFolder(), text);
        }
    }
    if (oldTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTmp);
}

TEST(Mediator, SourceFolderListsTheAcceptedDocumentsInFileListOrder)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src";
    for (const char* name : {"b.txt", "C.WPD", "a.wpd", "README"})
        AppHarness::makeFile(src, name);
    app.dialogs().folderAnswers = {src};

    app.mediator().SourceFolder();

    Form1& dialog = app.batchDialog();
    EXPECT_EQ(app.dialogs().folderPrompts, QStringList{"Select a Source Folder"});
    EXPECT_EQ(entries(dialog.List1()), (QStringList{"a.wpd", "C.WPD"}));
    EXPECT_EQ(dialog.txtSrcFolder()->text(), src);
    EXPECT_EQ(app.mediator().GetSourceFolder(), src);

    // Cancelling leaves everything as it was.
    app.mediator().SourceFolder();
    EXPECT_EQ(entries(dialog.List1()), (QStringList{"a.wpd", "C.WPD"}));
    EXPECT_EQ(app.mediator().GetSourceFolder(), src);

    // "unknown" in the list accepts files without a usable extension.
    Forms::Get<frmExtension>().LstExt()->addItem("Unknown");
    app.dialogs().folderAnswers = {src};
    app.mediator().SourceFolder();
    EXPECT_EQ(entries(dialog.List1()), (QStringList{"a.wpd", "C.WPD", "README"}));
}

TEST(Mediator, AFolderThatCannotBeListedListsNothing)
{
    AppHarness app;
    app.dialogs().folderAnswers = {"/no/such/folder"};
    app.batchDialog().List1()->addItem("old.wpd");
    app.mediator().SourceFolder();
    EXPECT_EQ(app.batchDialog().List1()->count(), 0);
    EXPECT_EQ(app.mediator().GetSourceFolder(), "/no/such/folder");
}

TEST(Mediator, TargetFolderCancelledEmptiesTheStoredFolder)
{
    AppHarness app;
    app.dialogs().folderAnswers = {"/chosen"};
    app.mediator().TargetFolder();
    EXPECT_EQ(app.mediator().GetTgtFolder(), "/chosen");
    app.mediator().TargetFolder();
    EXPECT_EQ(app.dialogs().folderPrompts, (QStringList{"Select a Target Folder", "Select a Target Folder"}));
    EXPECT_TRUE(app.mediator().GetTgtFolder().isEmpty());
    EXPECT_TRUE(app.batchDialog().txtTgtFolder()->text().isEmpty());
}

TEST(Mediator, ChoosingADocumentMakesItsFolderTheTarget)
{
    AppHarness app;
    app.mediator().SetTgtFolder("/batch/target");
    const QString doc = AppHarness::makeFile(app.tempDir() + "/single", "a.wpd");
    app.dialogs().fileAnswers = {doc, std::nullopt};
    app.mediator().SingleSourceFile();
    EXPECT_EQ(app.mediator().GetTgtFolder(), app.tempDir() + "/single/");
}
