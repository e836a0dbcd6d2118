// The batch folder dialog: what it shows, that "Start" converts exactly the
// folders it shows, cancelling, the close box, and the run guard.
#include "core/General.h"
#include "core/Mediator.h"
#include "modes/StateManager.h"
#include "support/WindowsHarness.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using AppHarness = testsupport::WindowsHarness;
using uitest::Entries;

namespace {

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// Opens the batch dialog from the main window's "Batch" and runs `whileShown`
// while it is on screen.
void WithBatchDialog(AppHarness& app, const std::function<void(Form1&)>& whileShown)
{
    app.dialogs().onModal = [&](QObject* window) {
        if (auto* dialog = qobject_cast<Form1*>(window))
            whileShown(*dialog);
    };
    app.mainWindow().mnuBatch()->trigger();
    app.dialogs().onModal = nullptr;
}

} // namespace

TEST(BatchDialog, LoadsEmptyWithReadOnlyFolderBoxes)
{
    AppHarness app;
    Form1& dialog = app.batchDialog();
    EXPECT_EQ(dialog.windowTitle(), "Batch Documents");
    EXPECT_EQ(dialog.size(), QSize(446, 242));
    EXPECT_TRUE(dialog.txtSrcFolder()->isReadOnly());
    EXPECT_TRUE(dialog.txtTgtFolder()->isReadOnly());
    EXPECT_TRUE(dialog.txtSrcFolder()->text().isEmpty());
    EXPECT_TRUE(dialog.txtTgtFolder()->text().isEmpty());
    EXPECT_TRUE(Entries(dialog.List1()).isEmpty());
    EXPECT_EQ(dialog.findChild<QGroupBox*>()->title(), "Select folders:");
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(192, 192, 192));
}

TEST(BatchDialog, SelectingFoldersShowsThemWholeAndHowManyDocumentsWereFound)
{
    AppHarness app;
    const QString src = app.tempDir() + "/my docs #1/of 2002", tgt = app.tempDir() + "/out";
    const QString longName = "Minutes of the general meeting, 14 March 2002.wpd";
    for (const QString& name : {QString("a.wpd"), QString("b.txt"), QString("C.WPD"), QString(".hidden.wpd"), longName})
        AppHarness::makeFile(src, name);
    QDir().mkpath(tgt);
    Form1& dialog = app.batchDialog();
    EXPECT_EQ(dialog.Label3()->text(), "Found Documents");
    app.dialogs().folderAnswers = {src, tgt};

    dialog.btnSource()->click();
    dialog.btnTarget()->click();

    EXPECT_EQ(app.dialogs().folderPrompts, (QStringList{"Select a Source Folder", "Select a Target Folder"}));
    EXPECT_EQ(dialog.txtSrcFolder()->text(), src);
    EXPECT_EQ(dialog.txtTgtFolder()->text(), tgt);
    EXPECT_EQ(Entries(dialog.List1()), (QStringList{"a.wpd", "C.WPD", longName}));
    EXPECT_EQ(dialog.Label3()->text(), "3 documents found");
    // The dialog is as wide as the whole folder and the whole names need.
    QLineEdit* box = dialog.txtSrcFolder();
    EXPECT_GT(box->width(), box->fontMetrics().horizontalAdvance(src));
    EXPECT_GE(dialog.List1()->contentsRect().width(), dialog.List1()->sizeHintForColumn(0));
    EXPECT_LE(dialog.width(), dialog.screen()->availableGeometry().width());
}

TEST(BatchDialog, CancellingTheSourceBrowserKeepsWhatTheDialogShowed)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src";
    AppHarness::makeFile(src, "a.wpd");
    Form1& dialog = app.batchDialog();
    app.dialogs().folderAnswers = {src, QString()};

    dialog.btnSource()->click();
    dialog.btnSource()->click(); // cancelled

    EXPECT_EQ(dialog.txtSrcFolder()->text(), src);
    EXPECT_EQ(app.mediator().GetSourceFolder(), src);
    EXPECT_EQ(Entries(dialog.List1()), QStringList{"a.wpd"});
}

TEST(BatchDialog, CancellingTheTargetBrowserEmptiesTheTargetBoxAndRecord)
{
    AppHarness app;
    Form1& dialog = app.batchDialog();
    app.dialogs().folderAnswers = {app.tempDir(), QString()};

    dialog.btnTarget()->click();
    ASSERT_EQ(dialog.txtTgtFolder()->text(), app.tempDir());
    dialog.btnTarget()->click(); // cancelled

    EXPECT_TRUE(dialog.txtTgtFolder()->text().isEmpty());
    EXPECT_TRUE(app.mediator().GetTgtFolder().isEmpty());
}

TEST(BatchDialog, FileSystemRootAsSourceFolderIsShownAsIs)
{
    // What a root lists is tested where the root can be a folder of the
    // test's own (the Mediator's tests); here, how the dialog shows it.
    AppHarness app;
    Form1& dialog = app.batchDialog();
    app.dialogs().folderAnswers = {"/"};

    dialog.btnSource()->click();

    EXPECT_EQ(dialog.txtSrcFolder()->text(), "/");
    EXPECT_EQ(app.mediator().GetSourceFolder(), "/");
}

TEST(BatchDialog, StartWithoutFoldersHidesTheDialogRefusesAndWritesNothing)
{
    AppHarness app;
    bool hiddenWhenRefused = false;
    app.dialogs().duringDialog = [&] { hiddenWhenRefused = !Forms::Get<Form1>().isVisible(); };

    WithBatchDialog(app, [](Form1& dialog) { dialog.Command1()->click(); });

    EXPECT_FALSE(app.batchDialog().isVisible());
    ASSERT_EQ(app.dialogs().messages.size(), 1);
    EXPECT_EQ(app.dialogs().messages[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_TRUE(hiddenWhenRefused);
    EXPECT_TRUE(app.server().calls.isEmpty());
    EXPECT_TRUE(app.rows().isEmpty());
    EXPECT_TRUE(app.batchDialog().Command1()->isEnabled());
}

TEST(BatchDialog, TextTypedIntoTheBoxesIsNeitherKeptNorUsed)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
    AppHarness::makeFile(src, "a.wpd");
    QDir().mkpath(tgt);
    Form1& dialog = app.batchDialog();
    app.dialogs().folderAnswers = {src, tgt};
    dialog.btnSource()->click();
    dialog.btnTarget()->click();

    QTest::keyClicks(dialog.txtSrcFolder(), "/elsewhere");
    QTest::keyClicks(dialog.txtTgtFolder(), "/elsewhere");
    EXPECT_EQ(dialog.txtSrcFolder()->text(), src);
    EXPECT_EQ(dialog.txtTgtFolder()->text(), tgt);

    dialog.show();
    dialog.Command1()->click();
    EXPECT_EQ(app.rows(), QStringList{src + "/a.wpd|Converted"});
    EXPECT_EQ(FilesIn(tgt), QStringList{"a.doc"});
}

// After the user picked target X in the dialog and then converted one
// document from folder Y, the record's target is Y: the dialog must show Y,
// since Y is where "Start" writes.
TEST(BatchDialog, ShowsTheFoldersStartUsesAlsoAfterASingleDocumentConversion)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", x = app.tempDir() + "/x", y = app.tempDir() + "/y";
    AppHarness::makeFile(src, "a.wpd");
    QDir().mkpath(x);
    const QString single = AppHarness::makeFile(y, "one.wpd");
    app.dialogs().folderAnswers = {src, x};
    WithBatchDialog(app, [](Form1& dialog) {
        dialog.btnSource()->click();
        dialog.btnTarget()->click();
        dialog.Command2()->click(); // Cancel: hidden, loaded
    });
    ASSERT_EQ(app.batchDialog().txtTgtFolder()->text(), x);

    // File > Open: one document from Y, saved under the proposed name.
    app.dialogs().fileAnswers = {single, y + "/one.doc"};
    app.mainWindow().mnuOpen()->trigger();
    // The document's folder, as the file-system helper gives it (with its
    // separator).
    ASSERT_EQ(app.mediator().GetTgtFolder(), y + "/");
    EXPECT_EQ(app.batchDialog().txtTgtFolder()->text(), y + "/"); // while hidden, too

    QString shownSource, shownTarget;
    WithBatchDialog(app, [&](Form1& dialog) {
        shownSource = dialog.txtSrcFolder()->text();
        shownTarget = dialog.txtTgtFolder()->text();
        dialog.Command1()->click();
    });

    EXPECT_EQ(shownSource, src);
    EXPECT_EQ(shownTarget, y + "/");
    EXPECT_EQ(FilesIn(shownTarget), (QStringList{"a.doc", "one.doc", "one.wpd"}));
    EXPECT_TRUE(FilesIn(x).isEmpty());
}

TEST(BatchDialog, CancelHidesAndTheNextBatchShowsTheSameFoldersAndDocuments)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
    AppHarness::makeFile(src, "a.wpd");
    QDir().mkpath(tgt);
    app.dialogs().folderAnswers = {src, tgt};
    Form1* first = nullptr;
    WithBatchDialog(app, [&](Form1& dialog) {
        first = &dialog;
        dialog.btnSource()->click();
        dialog.btnTarget()->click();
        dialog.Command2()->click();
        EXPECT_FALSE(dialog.isVisible());
    });
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    Form1* second = nullptr;
    QStringList shown;
    WithBatchDialog(app, [&](Form1& dialog) {
        second = &dialog;
        shown = {dialog.txtSrcFolder()->text(), dialog.txtTgtFolder()->text()};
        shown += Entries(dialog.List1());
    });

    EXPECT_EQ(first, second);
    EXPECT_EQ(shown, (QStringList{src, tgt, "a.wpd"}));
    EXPECT_TRUE(app.server().calls.isEmpty());
    EXPECT_EQ(app.dialogs().modalTitles, (QStringList{"Batch Documents", "Batch Documents"}));
}

TEST(BatchDialog, CloseBoxUnloadsItButStartStillUsesTheChosenFolders)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
    AppHarness::makeFile(src, "a.wpd");
    QDir().mkpath(tgt);
    app.dialogs().folderAnswers = {src, tgt};
    WithBatchDialog(app, [](Form1& dialog) {
        dialog.btnSource()->click();
        dialog.btnTarget()->click();
        dialog.close(); // the title-bar close box
    });
    EXPECT_FALSE(Forms::IsLoaded<Form1>());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QStringList shown;
    WithBatchDialog(app, [&](Form1& dialog) {
        shown = {dialog.txtSrcFolder()->text(), dialog.txtTgtFolder()->text()};
        shown += Entries(dialog.List1());
        dialog.Command1()->click();
    });

    // Loaded afresh: no documents listed, but the boxes show the record's
    // folders, which are the ones converted.
    EXPECT_EQ(shown, (QStringList{src, tgt}));
    EXPECT_EQ(app.rows(), QStringList{src + "/a.wpd|Converted"});
    EXPECT_EQ(FilesIn(tgt), QStringList{"a.doc"});
}

TEST(BatchDialog, StartKeepsItsCommandObjectAndReplacesItNextTime)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
    QDir().mkpath(src);
    QDir().mkpath(tgt);
    app.mediator().SetSourceFolder(src);
    app.mediator().SetTgtFolder(tgt);
    Form1& dialog = app.batchDialog();
    EXPECT_EQ(dialog.lastCommand(), nullptr);

    dialog.Command1()->click();
    const auto first = dialog.lastCommand();
    dialog.Command1()->click();

    EXPECT_NE(first, nullptr);
    EXPECT_NE(dialog.lastCommand(), first);
    EXPECT_EQ(app.mediator().stateManager()->current(), app.mediator().stateManager()->stateTwo());
}

TEST(BatchDialog, SelectAndStartAreDisabledWhileARunLasts)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
    AppHarness::makeFile(src, "a.wpd");
    QDir().mkpath(tgt);
    Form1& dialog = app.batchDialog();
    Form2& main = app.mainWindow();
    QList<bool> enabledDuringRun, menusDuringRun;
    QObject::connect(&app.mediator(), &Mediator::runningChanged, [&](bool running) {
        if (!running)
            return;
        enabledDuringRun = {dialog.btnSource()->isEnabled(), dialog.btnTarget()->isEnabled(),
                            dialog.Command1()->isEnabled(), dialog.Command2()->isEnabled()};
        // Open, Close and Batch are off; the rest stays usable.
        menusDuringRun = {main.mnuOpen()->isEnabled(), main.mnuClose()->isEnabled(),
                          main.mnuBatch()->isEnabled(), main.mnuExtensions()->isEnabled(),
                          main.mnuInfo()->isEnabled(), main.mnuExit()->isEnabled()};
    });
    app.mediator().SetSourceFolder(src);
    app.mediator().SetTgtFolder(tgt);

    dialog.show();
    dialog.Command1()->click();

    EXPECT_EQ(enabledDuringRun, (QList<bool>{false, false, false, true}));
    EXPECT_EQ(menusDuringRun, (QList<bool>{false, false, false, true, true, true}));
    EXPECT_TRUE(dialog.btnSource()->isEnabled());
    EXPECT_TRUE(dialog.btnTarget()->isEnabled());
    EXPECT_TRUE(dialog.Command1()->isEnabled());
    EXPECT_EQ(app.rows(), QStringList{src + "/a.wpd|Converted"});
}

TEST(BatchDialog, TabVisitsStartCancelTheBoxesTheButtonsThenTheList)
{
    AppHarness app;
    Form1& d = app.batchDialog();
    EXPECT_EQ(uitest::TabChain(d.Command1()),
              (QList<QWidget*>{d.Command1(), d.Command2(), d.txtSrcFolder(), d.txtTgtFolder(), d.btnSource(),
                               d.btnTarget(), d.List1()}));
}
