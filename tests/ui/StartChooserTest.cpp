// SPDX-License-Identifier: MPL-2.0
// The start chooser's buttons, texts and link.
#include "app/StartUp.h"
#include "core/DocumentList.h"
#include "core/ExtensionList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "modes/StateManager.h"
#include "support/WindowsHarness.h"
#include "ui/ClickableLabel.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Forms.h"
#include "ui/WebLink.h"
#include "ui/frmExtension.h"
#include "UiTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

// Each test runs the program as it starts, chooser and all.
using testsupport::WindowsHarness;

// Start-up shows the main window, then the chooser in front of it, in the
// start state with the extension list loaded hidden; the windows are what
// the logic shows.
TEST(StartChooser, ComesUpInFrontOfTheMainWindowCancelHidesItTheCloseBoxUnloadsItAndNothingElseHappens)
{
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        WindowsHarness app{WindowsHarness::NotStarted{}};
        app.inChooser = [&](Form3& chooser) { closeBox ? void(chooser.close()) : chooser.btnCancel()->click(); };
        app.runMain();

        EXPECT_EQ(Forms::IsLoaded<Form3>(), !closeBox);
        EXPECT_FALSE(Forms::IsLoaded<Form3>() && Forms::Get<Form3>().isVisible());
        EXPECT_TRUE(app.mainVisibleBehindChooser);
        EXPECT_TRUE(app.mainWindow().isVisible());
        EXPECT_EQ(app.mainWindow().windowTitle(), "Tallowin");
        EXPECT_FALSE(app.mainWindow().Next()->isVisible());
        EXPECT_EQ(gMediator->Documents().Count(), 0);
        EXPECT_EQ(gMediator->stateManager()->current(), gMediator->stateManager()->stateThree());
        EXPECT_EQ(gMediator->Extensions().stringList(), QStringList{"wpd"});
        EXPECT_TRUE(Forms::IsLoaded<frmExtension>() && !Forms::Get<frmExtension>().isVisible());
        EXPECT_EQ(gMediator->userInterface(), &General::Windows());
        EXPECT_TRUE(app.dialogs().messages.isEmpty());
        EXPECT_TRUE(app.dialogs().fileRequests.isEmpty());
        EXPECT_EQ(app.dialogs().modalTitles, QStringList{"Quick Start"});
    }
}

TEST(StartChooser, OpenDocumentHidesTheChooserAndConvertsTheChosenDocumentInSingleMode)
{
    for (const bool chosen : {false, true}) {
        SCOPED_TRACE(chosen ? "chosen" : "cancelled");
        WindowsHarness app{WindowsHarness::NotStarted{}};
        const QString doc = testsupport::WriteFile(app.path("letter.wpd"));
        if (chosen)
            app.dialogs().fileAnswers = {doc, app.path("letter.doc")};
        bool chooserHiddenWhenAsked = false;
        app.dialogs().duringDialog = [&] { chooserHiddenWhenAsked = !Forms::Get<Form3>().isVisible(); };
        app.inChooser = [](Form3& chooser) { chooser.btnSingle()->click(); };
        app.runMain();

        EXPECT_EQ(app.dialogs().fileRequests.size(), chosen ? 2 : 1);
        EXPECT_TRUE(chooserHiddenWhenAsked);
        EXPECT_EQ(gMediator->stateManager()->current(), gMediator->stateManager()->stateOne());
        EXPECT_TRUE(app.dialogs().messages.isEmpty());
        EXPECT_TRUE(app.mainWindow().isVisible());
        EXPECT_FALSE(app.mainWindow().Next()->isVisible());
        EXPECT_EQ(gMediator->GetSourceFile(), chosen ? doc : QString());
        EXPECT_EQ(app.rows(), chosen ? QStringList{doc + "|Converted"} : QStringList());
    }
}

TEST(StartChooser, BatchDocumentsOpensTheBatchDialogAndCancellingItLeavesBothHidden)
{
    WindowsHarness app{WindowsHarness::NotStarted{}};
    bool chooserHiddenFirst = false;
    // The batch dialog comes up modal inside the chooser's button.
    app.inBatchDialog = [&](Form1& batch) {
        chooserHiddenFirst = !Forms::Get<Form3>().isVisible();
        batch.Command2()->click();
    };
    app.inChooser = [](Form3& chooser) { chooser.btnBatch()->click(); };
    app.runMain();

    EXPECT_EQ(app.dialogs().modalTitles, (QStringList{"Quick Start", "Batch Documents"}));
    EXPECT_TRUE(chooserHiddenFirst);
    EXPECT_FALSE(Forms::Get<Form1>().isVisible());
    EXPECT_FALSE(Forms::Get<Form3>().isVisible());
    EXPECT_TRUE(app.mainWindow().isVisible());
    EXPECT_TRUE(app.mainWindow().mnuBatch()->isEnabled());
    EXPECT_TRUE(app.dialogs().messages.isEmpty());
}

TEST(StartChooser, ShowsItsTextsAtTheirSizes)
{
    WindowsHarness app{WindowsHarness::NotStarted{}};
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
}

// The maker's link, by Return or Space: the maker's address opens; clicked
// when the desktop names no browser: a message, and the chooser stays.
TEST(StartChooser, MakerLinkOpensTheMakersAddressOrSaysThereIsNoBrowser)
{
    WindowsHarness app{WindowsHarness::NotStarted{}};
    uitest::FakeBrowser browser;
    browser.program = "/usr/bin/some-browser";
    bool stillShown = false;
    app.inChooser = [&](Form3& chooser) {
        QTest::keyClick(chooser.Label3(), Qt::Key_Return);
        QTest::keyClick(chooser.Label3(), Qt::Key_Space);
        EXPECT_TRUE(app.dialogs().messages.isEmpty());
        browser.program.clear();
        QTest::mouseClick(chooser.Label3(), Qt::LeftButton);
        stillShown = chooser.isVisible();
        chooser.btnCancel()->click();
    };
    app.runMain();

    ASSERT_EQ(browser.started.size(), 2);
    EXPECT_EQ(browser.started[0].program, "/usr/bin/some-browser");
    EXPECT_EQ(browser.started[0].arguments.count(WebLink::MakerAddress()), 1);
    EXPECT_EQ(browser.askedFor, QStringList(3, WebLink::MakerAddress()));
    EXPECT_EQ(app.dialogs().boxes(), QStringList{"Browser Not Found|Could not find associated Browser|Exclamation|OK"});
    EXPECT_TRUE(stillShown);
}
