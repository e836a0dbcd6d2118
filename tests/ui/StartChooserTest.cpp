// Start-up with the real start chooser, and the chooser's buttons.
#include "app/StartUp.h"
#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "modes/StateManager.h"
#include "platform/Program.h"
#include "support/WindowsHarness.h"
#include "ui/ClickableLabel.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Forms.h"
#include "ui/WebLink.h"
#include "ui/frmExtension.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::ProgramEnded;

namespace {

// Runs Main as the program does, against the scripted server and dialogs;
// `inChooser` acts while the start chooser is shown.
class MainRun {
public:
    MainRun() { platform::SetEndProgramHandler([](int code) { throw ProgramEnded(code); }); }
    ~MainRun()
    {
        Forms::UnloadAll();
        gMediator.reset();
        gAutomation.reset();
        gAccepted = false;
        platform::SetEndProgramHandler({});
    }

    void run(const std::function<void(Form3&)>& inChooser)
    {
        dialogs.onModal = [&](QObject* window) {
            if (auto* chooser = qobject_cast<Form3*>(window)) {
                mainVisibleBehindChooser = Forms::Get<Form2>().isVisible();
                if (inChooser)
                    inChooser(*chooser);
            } else if (auto* batch = qobject_cast<Form1*>(window)) {
                if (inBatchDialog)
                    inBatchDialog(*batch);
            }
        };
        General::Main();
        dialogs.onModal = nullptr;
    }

    bool inStartState() const
    {
        return gMediator->stateManager()->current() == gMediator->stateManager()->stateThree();
    }

    testsupport::ScriptedServerRegistration server;
    testsupport::ScriptedDialogs dialogs;
    std::function<void(Form1&)> inBatchDialog;
    bool mainVisibleBehindChooser = false;
};

} // namespace

TEST(StartChooser, MainShowsTheMainWindowThenTheChooserInFrontOfIt)
{
    MainRun app;
    QString chooserTitle;
    app.run([&](Form3& chooser) {
        chooserTitle = chooser.windowTitle();
        chooser.btnCancel()->click();
    });
    EXPECT_EQ(app.dialogs.modalTitles, QStringList{"Quick Start"});
    EXPECT_EQ(chooserTitle, "Quick Start");
    EXPECT_TRUE(app.mainVisibleBehindChooser);
}

TEST(StartChooser, CancelLeavesAnEmptyMainWindowInTheStartState)
{
    MainRun app;
    app.run([](Form3& chooser) { chooser.btnCancel()->click(); });

    EXPECT_FALSE(Forms::Get<Form3>().isVisible());
    EXPECT_TRUE(Forms::Get<Form2>().isVisible());
    EXPECT_EQ(gMediator->Documents().Count(), 0);
    EXPECT_TRUE(app.inStartState());
    EXPECT_TRUE(app.dialogs.messages.isEmpty());
    EXPECT_TRUE(app.dialogs.fileRequests.isEmpty());
}

TEST(StartChooser, OpenDocumentCancelledLeavesSingleModeAndNoMessage)
{
    MainRun app;
    bool chooserHiddenWhenAsked = false;
    app.dialogs.duringDialog = [&] { chooserHiddenWhenAsked = !Forms::Get<Form3>().isVisible(); };
    app.run([](Form3& chooser) { chooser.btnSingle()->click(); });

    ASSERT_EQ(app.dialogs.fileRequests.size(), 1);
    EXPECT_TRUE(chooserHiddenWhenAsked);
    EXPECT_EQ(gMediator->stateManager()->current(), gMediator->stateManager()->stateOne());
    EXPECT_TRUE(app.dialogs.messages.isEmpty());
    EXPECT_TRUE(Forms::Get<Form2>().isVisible());
    EXPECT_FALSE(Forms::Get<Form2>().Next()->isVisible());
    EXPECT_TRUE(gMediator->GetSourceFile().isEmpty());
}

TEST(StartChooser, OpenDocumentConvertsTheChosenDocument)
{
    MainRun app;
    QTemporaryDir dir;
    const QString doc = testsupport::AppHarness::makeFile(dir.path(), "letter.wpd");
    app.dialogs.fileAnswers = {doc, dir.path() + "/letter.doc"};
    platform::SetAppPath(dir.path());
    testsupport::AppHarness::makeFile(dir.path(), "RmvDelayCode.wcm", "; macro\n");

    app.run([](Form3& chooser) { chooser.btnSingle()->click(); });
    platform::SetAppPath(QString());

    const DocumentList& list = gMediator->Documents();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.CellText(0, 0), doc);
    EXPECT_EQ(list.CellText(0, 1), "Converted");
}

TEST(StartChooser, BatchDocumentsOpensTheBatchDialogAndCancellingItLeavesBothHidden)
{
    MainRun app;
    bool chooserHiddenFirst = false;
    // The batch dialog comes up modal inside the chooser's button.
    app.inBatchDialog = [&](Form1& batch) {
        chooserHiddenFirst = !Forms::Get<Form3>().isVisible();
        batch.Command2()->click();
    };
    app.run([](Form3& chooser) { chooser.btnBatch()->click(); });

    EXPECT_EQ(app.dialogs.modalTitles, (QStringList{"Quick Start", "Batch Documents"}));
    EXPECT_TRUE(chooserHiddenFirst);
    EXPECT_FALSE(Forms::Get<Form1>().isVisible());
    EXPECT_FALSE(Forms::Get<Form3>().isVisible());
    EXPECT_TRUE(Forms::Get<Form2>().isVisible());
    EXPECT_TRUE(Forms::Get<Form2>().mnuBatch()->isEnabled());
    EXPECT_TRUE(app.dialogs.messages.isEmpty());
}

TEST(StartChooser, CloseBoxUnloadsTheChooserAndNothingElseHappens)
{
    MainRun app;
    app.run([](Form3& chooser) { chooser.close(); });

    EXPECT_FALSE(Forms::IsLoaded<Form3>());
    EXPECT_TRUE(Forms::Get<Form2>().isVisible());
    EXPECT_TRUE(app.inStartState());
    EXPECT_TRUE(app.dialogs.messages.isEmpty());
    EXPECT_TRUE(app.dialogs.fileRequests.isEmpty());
    EXPECT_TRUE(app.dialogs.modalTitles == QStringList{"Quick Start"});
}

TEST(StartChooser, ShowsItsTextsAtTheirSizes)
{
    MainRun app;
    Form3& chooser = Forms::Get<Form3>();
    EXPECT_EQ(chooser.size(), QSize(577, 329));
    EXPECT_EQ(chooser.btnSingle()->text(), "Open Document");
    EXPECT_EQ(chooser.btnBatch()->text(), "BatchDocuments");
    EXPECT_EQ(chooser.btnCancel()->text(), "Cancel");
    QStringList labels;
    for (const char* name : {"Label2", "Label1", "Label6", "Label7", "Label5"})
        labels << chooser.findChild<QLabel*>(name)->text();
    EXPECT_EQ(labels, (QStringList{"Tallowin", "Select one...", "Created by: Marrowfield",
                                   "For more details please contact Marrowfield",
                                   "Converts WordPerfect Documents to Microsoft Word"}));
    EXPECT_EQ(chooser.Label3()->text(), WebLink::MakerText());
    EXPECT_TRUE(chooser.Label3()->font().underline());
    EXPECT_EQ(chooser.Label3()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(chooser.findChild<QLabel*>("Label2")->font().bold());
    EXPECT_EQ(chooser.findChild<QWidget*>("panel")->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(uitest::TabChain(chooser.btnSingle()),
              (QList<QWidget*>{chooser.btnSingle(), chooser.btnBatch(), chooser.btnCancel(), chooser.Label3()}));
}

TEST(StartChooser, MakerLinkByKeyboardOpensTheMakersAddress)
{
    MainRun app;
    uitest::FakeBrowser browser;
    browser.program = "/usr/bin/some-browser";
    app.run([](Form3& chooser) {
        QTest::keyClick(chooser.Label3(), Qt::Key_Return);
        QTest::keyClick(chooser.Label3(), Qt::Key_Space);
        chooser.btnCancel()->click();
    });

    ASSERT_EQ(browser.started.size(), 2);
    EXPECT_EQ(browser.started[0].program, "/usr/bin/some-browser");
    EXPECT_EQ(browser.started[0].arguments.count(WebLink::MakerAddress()), 1);
    EXPECT_TRUE(app.dialogs.messages.isEmpty());
}

TEST(StartChooser, MakerLinkWithoutABrowserSaysSoAndTheChooserStays)
{
    MainRun app;
    uitest::FakeBrowser browser; // the desktop names no browser
    bool stillShown = false;
    app.run([&](Form3& chooser) {
        QTest::mouseClick(chooser.Label3(), Qt::LeftButton);
        stillShown = chooser.isVisible();
        chooser.btnCancel()->click();
    });

    EXPECT_EQ(browser.askedFor, QStringList{WebLink::MakerAddress()});
    ASSERT_EQ(app.dialogs.messages.size(), 1);
    EXPECT_EQ(app.dialogs.messages[0].text, "Could not find associated Browser");
    EXPECT_EQ(app.dialogs.messages[0].caption, "Browser Not Found");
    EXPECT_TRUE(stillShown);
}
