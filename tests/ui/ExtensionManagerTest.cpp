// SPDX-License-Identifier: MPL-2.0
// The extension manager: its list, Add and Remove, Exit and the close box.
#include "core/ExtensionList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "pipeline/Chain.h"
#include "support/WindowsHarness.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "ui/frmExtension.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using AppHarness = testsupport::WindowsHarness;
using uitest::Entries;

namespace {

void Add(frmExtension& w, const QString& text)
{
    w.txtExtension()->clear();
    QTest::keyClicks(w.txtExtension(), text);
    w.cmdAddMovie()->click();
}

// Whether the extension chain accepts a file with this extension.
bool Accepted(QString extension)
{
    gAccepted = false;
    Chain::BuildExtensionChain()->sendToChain(extension);
    return gAccepted;
}

} // namespace

// Loaded hidden with "wpd" at start-up, shown modeless from the Tools menu;
// Exit hides it and keeps the list, the close box unloads it and the list
// is "wpd" again.
TEST(ExtensionManager, StartsWithWpdShownModelessExitHidesItTheCloseBoxUnloadsIt)
{
    AppHarness app;
    frmExtension* first = &Forms::Get<frmExtension>();
    EXPECT_EQ(Entries(first->LstExt()), QStringList{"wpd"});
    EXPECT_FALSE(first->isVisible());

    app.mainWindow().mnuExtensions()->trigger();

    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    EXPECT_TRUE(app.dialogs().modalTitles.isEmpty());
    EXPECT_EQ(first->windowTitle(), "Extension manager");
    EXPECT_EQ(first->size(), QSize(318, 190));
    EXPECT_EQ(first->LstExt()->selectionMode(), QAbstractItemView::ExtendedSelection);

    Add(*first, "txt");
    first->cmdExit()->click();
    EXPECT_FALSE(first->isVisible());
    app.mainWindow().mnuExtensions()->trigger();
    EXPECT_EQ(&Forms::Get<frmExtension>(), first);
    EXPECT_EQ(Entries(first->LstExt()), (QStringList{"wpd", "txt"}));

    first->close();
    EXPECT_FALSE(Forms::IsLoaded<frmExtension>());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(Accepted("txt")); // the chain reads a freshly loaded list
    EXPECT_EQ(Entries(Forms::Get<frmExtension>().LstExt()), QStringList{"wpd"});
}

// Add appends exactly what was typed and keeps the text for another Add;
// the chain then accepts the entry in any letter case, but never one typed
// with its dot.
struct AddCase {
    const char* name;
    QStringList typed; // each typed and added in turn
    QStringList expected;
    QStringList accepted = {}, refused = {};
};

class ExtensionAdd : public ::testing::TestWithParam<AddCase> {};

TEST_P(ExtensionAdd, AppendsExactlyWhatWasTyped)
{
    AppHarness app;
    frmExtension& w = Forms::Get<frmExtension>();
    for (const QString& text : GetParam().typed)
        Add(w, text);
    EXPECT_EQ(Entries(w.LstExt()), GetParam().expected);
    EXPECT_EQ(w.txtExtension()->text(), GetParam().typed.last());
    EXPECT_TRUE(app.dialogs().messages.isEmpty());
    for (const QString& extension : GetParam().accepted)
        EXPECT_TRUE(Accepted(extension)) << qPrintable(extension);
    for (const QString& extension : GetParam().refused)
        EXPECT_FALSE(Accepted(extension)) << qPrintable(extension);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtensionAdd,
    ::testing::Values(AddCase{"Empty", {""}, {"wpd"}, {"wpd"}, {""}},
                      AddCase{"Blanks", {"   "}, {"wpd", "   "}},
                      AddCase{"WithDot", {".doc"}, {"wpd", ".doc"}, {}, {"doc"}},
                      AddCase{"TwiceTheSame", {"txt", "txt"}, {"wpd", "txt", "txt"}, {"txt"}},
                      AddCase{"CaseKept", {"WP5"}, {"wpd", "WP5"}, {"wp5", "WP5"}, {"wp6"}},
                      AddCase{"Duplicate", {"wpd"}, {"wpd", "wpd"}}),
    [](const ::testing::TestParamInfo<AddCase>& info) { return std::string(info.param.name); });

// Remove takes every selected entry and only those; the chain accepts
// only what is left (nothing, once wpd is gone, until an entry is added).
// With nothing selected it says so.
struct RemoveCase {
    const char* name;
    QStringList entries;
    QList<int> selected;
    QStringList left;
    QStringList boxes = {};
};

class ExtensionRemove : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(ExtensionRemove, RemovesEverySelectedEntryAndOnlyThose)
{
    AppHarness app;
    frmExtension& w = Forms::Get<frmExtension>();
    gMediator->Extensions().setStringList(GetParam().entries);
    for (int row : GetParam().selected)
        w.LstExt()->selectionModel()->select(w.LstExt()->model()->index(row, 0), QItemSelectionModel::Select);

    w.Command2()->click();

    EXPECT_EQ(Entries(w.LstExt()), GetParam().left);
    EXPECT_EQ(app.dialogs().boxes(), GetParam().boxes);
    for (const QString& entry : GetParam().entries)
        EXPECT_EQ(Accepted(entry), GetParam().left.contains(entry)) << qPrintable(entry);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtensionRemove,
    ::testing::Values(RemoveCase{"FirstAndThird", {"a", "b", "c"}, {0, 2}, {"b"}},
                      RemoveCase{"All", {"a", "b", "c"}, {0, 1, 2}, {}},
                      RemoveCase{"Last", {"a", "b", "c"}, {2}, {"a", "b"}},
                      RemoveCase{"OneOfTwins", {"txt", "txt"}, {1}, {"txt"}},
                      RemoveCase{"OnlyWpd", {"wpd"}, {0}, {}},
                      RemoveCase{"NothingSelected", {"wpd", "txt"}, {}, {"wpd", "txt"},
                                 {"Tallowin|You did not select an extension to remove.|None|OK"}}),
    [](const ::testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

