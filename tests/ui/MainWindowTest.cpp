// SPDX-License-Identifier: MPL-2.0
// The main window: its menus, its document list and status bar, "Close",
// the ways out, and the commands refused while a run lasts.
#include "core/DocumentList.h"
#include "core/Mediator.h"
#include "modes/StateManager.h"
#include "support/WindowsHarness.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using AppHarness = testsupport::WindowsHarness;
using testsupport::ProgramEnded;

namespace {

QStringList captions(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* a : actions)
        texts << a->text();
    return texts;
}

} // namespace

TEST(MainWindow, MenusHaveTheirCaptionsInOrderAndTheDocumentListIsATwoColumnTableInBoldWithUniformRows)
{
    AppHarness app(/*showMainWindow=*/true);
    Form2& main = app.mainWindow();
    const QList<QAction*> top = main.menuBar()->actions();
    EXPECT_EQ(captions(top), (QStringList{"&File", "Tools", "About"}));
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(captions(top[0]->menu()->actions()), (QStringList{"Open", "Close", "Exit"}));
    EXPECT_EQ(captions(top[1]->menu()->actions()), (QStringList{"Batch", "Extensions..."}));
    EXPECT_EQ(captions(top[2]->menu()->actions()), QStringList{"Info"});
    EXPECT_EQ(main.windowTitle(), "Tallowin");

    QTableView* list = main.ListView1();
    ASSERT_EQ(list->model(), &app.mediator().Documents());
    const QHeaderView* columns = list->horizontalHeader();
    EXPECT_EQ(columns->count(), 2); // what they say: the document list's tests
    EXPECT_TRUE(columns->isVisible());
    EXPECT_FALSE(columns->sectionsClickable()); // the list keeps its own order
    EXPECT_FALSE(list->verticalHeader()->isVisible());
    EXPECT_EQ(list->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_TRUE(list->font().bold());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    // As large as before: the list fills the panel's top, the columns its width.
    EXPECT_EQ(list->geometry(), QRect(0, 0, 761, 361));
    EXPECT_LE(columns->sectionSize(0) + columns->sectionSize(1), list->viewport()->width());
    EXPECT_EQ(main.size().width(), 766);
}

TEST(MainWindow, ExitButtonExitMenuAndCloseBoxEndTheProgram)
{
    const std::function<void(Form2&)> ways[] = {
        [](Form2& main) { main.btnExit()->click(); },
        [](Form2& main) { main.mnuExit()->trigger(); },
        [](Form2& main) { main.close(); },
    };
    for (const auto& leave : ways) {
        AppHarness app(/*showMainWindow=*/true);
        int code = -1;
        try {
            leave(app.mainWindow());
        } catch (const ProgramEnded& e) {
            code = e.exitCode;
        }
        EXPECT_EQ(code, 0);
    }
}

// A batch with one failure as the window shows it: the progress counts the
// documents done and failed (not d.txt, which is not converted) and the
// status bar follows it and ends with its totals; the failed row tells why
// in its tip and, while current, in the status bar; Close then empties the
// list and the progress outside the run and keeps the mode.
TEST(MainWindow, ABatchInTheStatusBarAFailedRowsReasonAndClose)
{
    AppHarness app(/*showMainWindow=*/true);
    Form2& main = app.mainWindow();
    const auto f = app.folders({"a.wpd", "b.wpd", "c.wpd", "d.txt"});
    app.server().failOn("FileOpen", f.doc("b.wpd"));
    QStringList atOpen; // what the progress said while each document opened
    QString atThirdOpen;
    app.server().duringCall = [&] {
        if (app.server().calls.last().member != "FileOpen")
            return;
        atOpen << app.mediator().Progress().Text(app.mediator().Documents());
        if (atOpen.size() == 3) {
            QTest::qWait(60); // the status bar's few frames
            atThirdOpen = main.StatusProgress()->text();
        }
    };
    EXPECT_TRUE(app.mediator().Progress().Text(app.mediator().Documents()).isEmpty());

    app.startBatch(f);

    EXPECT_EQ(atOpen, (QStringList{"0 of 3 done", "1 of 3 done", "2 of 3 done, 1 failed"}));
    EXPECT_EQ(atThirdOpen, "2 of 3 done, 1 failed");
    EXPECT_EQ(main.StatusProgress()->text(), "Batch done: 2 converted, 1 failed");
    EXPECT_FALSE(main.Next()->isVisible()); // never shown
    EXPECT_EQ(app.rows(), f.rows({"c.wpd|Converted", "b.wpd|Failed", "a.wpd|Converted"}));
    QTableView* list = main.ListView1();
    const int failed = app.mediator().Documents().RowOf(f.doc("b.wpd"));
    EXPECT_EQ(list->model()->index(failed, 0).data(Qt::ToolTipRole).toString(), "FileOpen failed (scripted)");
    list->setCurrentIndex(list->model()->index(failed, 0));
    EXPECT_EQ(main.StatusReason()->text(), "FileOpen failed (scripted)");
    list->setCurrentIndex(list->model()->index(0, 0));
    EXPECT_TRUE(main.StatusReason()->text().isEmpty());

    main.mnuClose()->trigger();
    EXPECT_TRUE(app.rows().isEmpty());
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_TRUE(main.StatusProgress()->text().isEmpty());
    EXPECT_TRUE(app.mediator().Progress().Text(app.mediator().Documents()).isEmpty());
    EXPECT_EQ(app.mediator().stateManager()->current(), app.mediator().stateManager()->stateTwo());
}

TEST(MainWindow, WhatTheListSaysOfARowBelongsToTheRowItShowsWhileRowsArriveEveryMillisecond)
{
    AppHarness app(/*showMainWindow=*/true);
    Form2& main = app.mainWindow();
    QTableView* list = main.ListView1();
    DocumentList& documents = app.mediator().Documents();
    // Rows fail with a reason that names them, and land all over the list.
    int added = 0;
    const auto addRow = [&] {
        const QString key = QStringLiteral("/d%1.wpd").arg(added++ * 7919 % 10007, 5, 10, QLatin1Char('0'));
        const auto row = documents.Add(key, key);
        documents.InsertSubItem(row, 1, Status::Failed);
        documents.SetReason(row, "why " + key);
    };
    // What the view shows is what it was told at the last reset.
    QStringList shown;
    QObject::connect(&documents, &QAbstractItemModel::modelReset, [&] {
        shown.clear();
        for (int i = 0; i < documents.rowCount(); ++i)
            shown << documents.index(i, 0).data().toString();
    });
    for (int i = 0; i < 40; ++i)
        addRow();
    documents.Publish();
    const QPoint pointer = list->visualRect(documents.index(12, 0)).center();

    QString chosen;
    for (int tick = 0; tick < 400; ++tick) {
        addRow();
        QTest::qWait(1);
        const QModelIndex under = list->indexAt(pointer);
        ASSERT_TRUE(under.isValid());
        // The user clicks the row under the pointer now and then.
        if (tick % 50 == 0) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, pointer);
            chosen = shown.value(under.row());
        }
        SCOPED_TRACE(tick);
        EXPECT_EQ(under.data().toString(), shown.value(under.row()));
        EXPECT_EQ(under.data(Qt::ToolTipRole).toString(), "why " + shown.value(under.row()));
        const QModelIndex current = list->currentIndex();
        EXPECT_EQ(current.data().toString(), chosen);
        EXPECT_EQ(main.StatusReason()->text(), "why " + chosen);
        EXPECT_EQ(list->selectionModel()->selectedRows(), QModelIndexList{current.siblingAtColumn(0)});
        if (HasFailure())
            break;
    }
}

// While a run lasts, Open, Close and Batch and the batch dialog's Select
// buttons and Start are off (Cancel, Extensions, Info and Exit stay usable),
// and trying them anyway changes nothing; afterwards they are on again.
TEST(MainWindow, CommandsThatStartOrChangeARunAreOffAndRefusedWhileItLasts)
{
    AppHarness app;
    const auto f = app.folders({"a.wpd", "b.wpd", "c.wpd", "other/z.wpd"});
    Form2& main = app.mainWindow();
    Form1& dialog = app.batchDialog();
    const QList<QAction*> menus{main.mnuOpen(), main.mnuClose(), main.mnuBatch(),
                                main.mnuExtensions(), main.mnuInfo(), main.mnuExit()};
    const QList<QPushButton*> buttons{dialog.btnSource(), dialog.btnTarget(), dialog.Command1(), dialog.Command2()};
    app.dialogs().folderAnswers = {f.doc("other"), f.doc("other")};
    QList<bool> enabledDuringRun;
    bool tried = false;
    auto tryEverything = [&] {
        if (std::exchange(tried, true))
            return;
        for (QAction* a : menus)
            enabledDuringRun << a->isEnabled();
        for (QPushButton* b : buttons)
            enabledDuringRun << b->isEnabled();
        for (QAction* a : menus.first(3))
            a->trigger();
        for (QPushButton* b : buttons.first(3))
            b->click();
    };
    QObject::connect(&app.mediator(), &Mediator::runningChanged, [&](bool running) {
        if (running)
            QMetaObject::invokeMethod(qApp, tryEverything, Qt::QueuedConnection);
    });
    app.mediator().SetSourceFolder(f.source);
    app.mediator().SetTgtFolder(f.target);

    dialog.show();
    dialog.Command1()->click();

    EXPECT_TRUE(tried);
    EXPECT_EQ(enabledDuringRun, (QList<bool>{false, false, false, true, true, true, false, false, false, true}));
    EXPECT_TRUE(app.dialogs().fileRequests.isEmpty());
    EXPECT_TRUE(app.dialogs().folderPrompts.isEmpty());
    EXPECT_TRUE(app.dialogs().modalTitles.isEmpty());
    EXPECT_EQ(app.mediator().GetSourceFolder(), f.source);
    EXPECT_EQ(app.rows(), f.rows({"c.wpd|Converted", "b.wpd|Converted", "a.wpd|Converted"}));
    for (QAction* a : menus)
        EXPECT_TRUE(a->isEnabled()) << qPrintable(a->text());
    for (QPushButton* b : buttons)
        EXPECT_TRUE(b->isEnabled()) << qPrintable(b->objectName());
}
