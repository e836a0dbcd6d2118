// SPDX-License-Identifier: MPL-2.0
// What screen readers are told: every control of every window has a name,
// the caption it shows or the label beside it.
#include "core/Mediator.h"
#include "support/WindowsHarness.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Forms.h"
#include "ui/frmAbout.h"
#include "ui/frmExtension.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QTableView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using AppHarness = testsupport::WindowsHarness;

namespace {

// Name as an assistive tool reads it.
QString AccessibleName(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QString Plain(QString caption)
{
    return caption.remove('&').trimmed();
}

// Every control of `window` is named, those that show a caption by it, and
// those in `expected` by the name given there.
void ExpectNamedControls(QWidget* window, const QMap<QString, QString>& expected)
{
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w)
                             || qobject_cast<QAbstractScrollArea*>(w) || qobject_cast<QGroupBox*>(w)
                             || (qobject_cast<QLabel*>(w) && !qobject_cast<QLabel*>(w)->text().isEmpty());
        if (!control || w->objectName().startsWith("qt_") || !w->parentWidget()
            || qobject_cast<QAbstractScrollArea*>(w->parentWidget()))
            continue;
        const QString name = AccessibleName(w);
        if (name.isEmpty())
            unnamed << w->objectName() + "(" + w->metaObject()->className() + ")";
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_EQ(name, Plain(b->text())) << qPrintable(w->objectName());
        }
        if (auto* l = qobject_cast<QLabel*>(w); l && l->pixmap().isNull()) {
            EXPECT_EQ(name, l->text()) << qPrintable(w->objectName());
        }
        if (auto* g = qobject_cast<QGroupBox*>(w); g && !g->title().isEmpty()) {
            EXPECT_EQ(name, g->title()) << qPrintable(w->objectName());
        }
    }
    EXPECT_TRUE(unnamed.isEmpty()) << qPrintable(window->objectName() + ": " + unnamed.join(", "));
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        QWidget* w = window->findChild<QWidget*>(it.key());
        ASSERT_NE(w, nullptr) << qPrintable(it.key());
        EXPECT_EQ(AccessibleName(w), it.value()) << qPrintable(it.key());
    }
}

} // namespace

// Every control of every window is named: buttons, links and labels by the
// text they show, boxes and lists by the label beside them. Tab visits the
// controls in the order given, starting at the first.
TEST(Accessibility, EveryControlOfEveryWindowIsNamedAndReachedByTabInOrder)
{
    AppHarness app;
    const std::tuple<QWidget*, QMap<QString, QString>, QStringList> windows[] = {
        {&app.batchDialog(),
         {{"txtSrcFolder", "Source:"}, {"txtTgtFolder", "Target:"}, {"List1", "Found Documents"}},
         {"Command1", "Command2", "txtSrcFolder", "txtTgtFolder", "btnSource", "btnTarget", "List1"}},
        {&Forms::Get<frmExtension>(), {{"txtExtension", "Extension:"}},
         {"LstExt", "txtExtension", "cmdAddMovie", "Command2", "cmdExit"}},
        {&Forms::Get<Form3>(), {}, {"btnSingle", "btnBatch", "btnCancel", "Label3"}},
        {&Forms::Get<frmAbout>(), {}, {"cmdOK", "lblTitle", "Label3"}},
        {&app.mainWindow(), {}, {}},
    };
    for (const auto& [window, byLabel, tabOrder] : windows) {
        SCOPED_TRACE(qPrintable(window->objectName()));
        ExpectNamedControls(window, byLabel);
        if (tabOrder.isEmpty())
            continue;
        QStringList visited; // the controls Tab visits from the first, in order
        QWidget* const first = window->findChild<QWidget*>(tabOrder[0]);
        for (QWidget* w = first; w; w = w->nextInFocusChain() == first ? nullptr : w->nextInFocusChain())
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabled())
                visited << w->objectName();
        EXPECT_EQ(visited, tabOrder);
    }
}

TEST(Accessibility, DocumentListIsATableWithHeadersRowsCellsAndReasonsAndTheStatusBarIsReadable)
{
    AppHarness app(/*showMainWindow=*/true);
    const auto f = app.folders({"a.wpd", "b.wpd"});
    app.server().failOn("FileOpen", f.doc("b.wpd"));
    app.server().offer("envConversionNotes", false, QStringLiteral("The Word file lacks 1 of 2 pictures"));
    app.startBatch(f);

    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(app.mainWindow().ListView1());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name), "Documents");
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->columnCount(), 2);
    EXPECT_EQ(cells->rowCount(), 2);
    EXPECT_EQ(cells->columnDescription(0), "File Name:");
    EXPECT_EQ(cells->columnDescription(1), "Status:");
    // Both rows need a second look: the status cell's description begins
    // with what its icon means.
    const struct {
        int row;
        QString name, status, description;
        DocumentList::Mark mark;
    } expected[] = {
        {0, f.doc("b.wpd"), "Failed", "Error: FileOpen failed (scripted)", DocumentList::Mark::Failed},
        {1, f.doc("a.wpd"), "Converted", "Warning: The Word file lacks 1 of 2 pictures", DocumentList::Mark::Incomplete}};
    for (const auto& e : expected) {
        QAccessibleInterface* name = cells->cellAt(e.row, 0);
        QAccessibleInterface* status = cells->cellAt(e.row, 1);
        ASSERT_TRUE(name && status);
        EXPECT_EQ(name->text(QAccessible::Name), e.name);
        EXPECT_EQ(status->text(QAccessible::Name), e.status);
        EXPECT_EQ(status->text(QAccessible::Description), e.description);
        const QModelIndex cell = app.mediator().Documents().index(e.row, 1);
        EXPECT_EQ(DocumentList::Mark(cell.data(DocumentList::MarkRole).toInt()), e.mark);
    }
    QAccessibleInterface* progress = QAccessible::queryAccessibleInterface(app.mainWindow().StatusProgress());
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->text(QAccessible::Name), "Batch done: 1 converted, 1 failed");
}
