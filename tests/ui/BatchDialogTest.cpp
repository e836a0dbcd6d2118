// SPDX-License-Identifier: MPL-2.0
// The batch folder dialog: what it shows, that "Start" converts exactly the
// folders it shows, cancelling, the close box, and the run guard.
#include "core/Mediator.h"
#include "support/WindowsHarness.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using AppHarness = testsupport::WindowsHarness;
using testsupport::FilesIn;
using uitest::Entries;

namespace {

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

// Text typed into the read-only boxes is neither kept nor used: Start
// converts the folders selected.
TEST(BatchDialog, LoadsEmptyShowsTheFoldersSelectedWholeAndHowManyDocumentsWereFoundAndStartConvertsThem)
{
    AppHarness app;
    const QString longName = "Minutes of the general meeting, 14 March 2002.wpd";
    const testsupport::BatchFolders f(app.tempDir(), {"a.wpd", "b.txt", "C.WPD", ".hidden.wpd", longName},
                                      "my docs #1/of 2002");
    const QString src = f.source, tgt = f.target;
    Form1& dialog = app.batchDialog();
    EXPECT_EQ(dialog.windowTitle(), "Batch Documents");
    EXPECT_EQ(dialog.size(), QSize(446, 242));
    EXPECT_EQ(dialog.findChild<QGroupBox*>()->title(), "Select folders:");
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_TRUE(dialog.txtSrcFolder()->isReadOnly() && dialog.txtTgtFolder()->isReadOnly());
    EXPECT_EQ(QStringList({dialog.txtSrcFolder()->text(), dialog.txtTgtFolder()->text()}) + Entries(dialog.List1()),
              QStringList({"", ""}));
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

    QTest::keyClicks(dialog.txtSrcFolder(), "/elsewhere");
    QTest::keyClicks(dialog.txtTgtFolder(), "/elsewhere");
    EXPECT_EQ(dialog.txtSrcFolder()->text(), src);
    EXPECT_EQ(dialog.txtTgtFolder()->text(), tgt);
    dialog.show();
    dialog.Command1()->click();
    EXPECT_EQ(FilesIn(tgt), (QStringList{"C.doc", "Minutes of the general meeting, 14 March 2002.doc", "a.doc"}));
}

// What a root lists is tested where the root can be a folder of the test's
// own (the Mediator's tests); here, that the dialog shows it as it is.
TEST(BatchDialog, ARootIsShownAsItIsCancellingKeepsTheSourceButEmptiesTheTarget)
{
    AppHarness app;
    const auto f = app.folders();
    Form1& dialog = app.batchDialog();
    app.dialogs().folderAnswers = {"/", f.source, QString(), f.target, QString()};

    dialog.btnSource()->click();
    EXPECT_EQ(dialog.txtSrcFolder()->text(), "/");
    EXPECT_EQ(app.mediator().GetSourceFolder(), "/");
    dialog.btnSource()->click();
    dialog.btnSource()->click(); // cancelled
    EXPECT_EQ(dialog.txtSrcFolder()->text(), f.source);
    EXPECT_EQ(app.mediator().GetSourceFolder(), f.source);
    EXPECT_EQ(Entries(dialog.List1()), QStringList{"a.wpd"});

    dialog.btnTarget()->click();
    ASSERT_EQ(dialog.txtTgtFolder()->text(), f.target);
    dialog.btnTarget()->click(); // cancelled
    EXPECT_TRUE(dialog.txtTgtFolder()->text().isEmpty());
    EXPECT_TRUE(app.mediator().GetTgtFolder().isEmpty());
}

TEST(BatchDialog, StartWithoutATargetFolderHidesTheDialogRefusesAndWritesNothing)
{
    AppHarness app;
    const auto f = app.folders();
    app.dialogs().folderAnswers = {f.source};
    bool hiddenWhenRefused = false;
    app.dialogs().duringDialog = [&] { hiddenWhenRefused = !Forms::Get<Form1>().isVisible(); };

    WithBatchDialog(app, [](Form1& dialog) {
        dialog.btnSource()->click();
        dialog.Command1()->click();
    });

    EXPECT_FALSE(app.batchDialog().isVisible());
    EXPECT_EQ(app.dialogs().boxes(),
              QStringList{"Tallowin|Select a target folder before starting the batch.|Exclamation|OK"});
    EXPECT_TRUE(hiddenWhenRefused);
    EXPECT_TRUE(app.server().calls.isEmpty());
    EXPECT_TRUE(app.rows().isEmpty());
    EXPECT_EQ(FilesIn(f.source) + FilesIn(f.target), QStringList{"a.wpd"});
    EXPECT_TRUE(app.batchDialog().Command1()->isEnabled());
}

// After the user picked target X in the dialog and then converted one
// document from folder Y, the record's target is Y: the dialog must show Y,
// since Y is where "Start" writes.
TEST(BatchDialog, ShowsTheFoldersStartUsesAlsoAfterASingleDocumentConversion)
{
    AppHarness app;
    const auto f = app.folders();
    const QString src = f.source, x = f.target, y = app.path("y");
    const QString single = testsupport::WriteFile(y + "/one.wpd");
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

// Cancel hides the dialog: the next batch shows it again, the same, with
// the same folders and documents. The close box unloads it: loaded afresh,
// it lists no documents but shows the record's folders. Either way Start
// then converts the folders shown.
TEST(BatchDialog, CancelHidesItTheCloseBoxUnloadsItAndStartUsesTheChosenFoldersEitherWay)
{
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        AppHarness app;
        const auto f = app.folders();
        app.dialogs().folderAnswers = {f.source, f.target};
        Form1* first = nullptr;
        WithBatchDialog(app, [&](Form1& dialog) {
            first = &dialog;
            dialog.btnSource()->click();
            dialog.btnTarget()->click();
            closeBox ? void(dialog.close()) : dialog.Command2()->click();
            EXPECT_FALSE(dialog.isVisible());
        });
        EXPECT_EQ(Forms::IsLoaded<Form1>(), !closeBox);
        EXPECT_TRUE(app.server().calls.isEmpty());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QStringList shown;
        WithBatchDialog(app, [&](Form1& dialog) {
            EXPECT_TRUE(closeBox || &dialog == first);
            shown = QStringList{dialog.txtSrcFolder()->text(), dialog.txtTgtFolder()->text()} + Entries(dialog.List1());
            dialog.Command1()->click();
        });

        EXPECT_EQ(shown, QStringList({f.source, f.target}) + (closeBox ? QStringList() : QStringList{"a.wpd"}));
        EXPECT_EQ(app.dialogs().modalTitles, (QStringList{"Batch Documents", "Batch Documents"}));
        EXPECT_EQ(app.rows(), f.rows({"a.wpd|Converted"}));
        EXPECT_EQ(FilesIn(f.target), QStringList{"a.doc"});
    }
}
