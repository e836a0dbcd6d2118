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
    w.txtExtension()->setText(text);
    w.cmdAddMovie()->click();
}

void Select(frmExtension& w, const QList<int>& rows)
{
    uitest::SelectRows(w.LstExt(), rows);
}

bool Accepted(QString extension)
{
    gAccepted = false;
    Chain::BuildExtensionChain()->sendToChain(extension);
    return gAccepted;
}

} // namespace

TEST(ExtensionManager, StartsWithWpdAndIsShownModelessFromTheToolsMenu)
{
    AppHarness app;
    frmExtension& w = Forms::Get<frmExtension>();
    EXPECT_EQ(Entries(w.LstExt()), QStringList{"wpd"});
    EXPECT_FALSE(w.isVisible());

    app.mainWindow().mnuExtensions()->trigger();

    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isModal());
    EXPECT_TRUE(app.dialogs().modalTitles.isEmpty());
    EXPECT_EQ(w.windowTitle(), "Extension manager");
    EXPECT_EQ(w.size(), QSize(318, 190));
    EXPECT_EQ(w.LstExt()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

struct AddCase {
    const char* name;
    QStringList typed; // each typed and added in turn
    QStringList expected;
};

class ExtensionAdd : public ::testing::TestWithParam<AddCase> {};

TEST_P(ExtensionAdd, AppendsExactlyWhatWasTyped)
{
    AppHarness app;
    frmExtension& w = Forms::Get<frmExtension>();
    for (const QString& text : GetParam().typed)
        Add(w, text);
    EXPECT_EQ(Entries(w.LstExt()), GetParam().expected);
    EXPECT_TRUE(app.dialogs().messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtensionAdd,
    ::testing::Values(AddCase{"Empty", {""}, {"wpd"}},
                      AddCase{"Blanks", {"   "}, {"wpd", "   "}},
                      AddCase{"WithDot", {".doc"}, {"wpd", ".doc"}},
                      AddCase{"TwiceTheSame", {"txt", "txt"}, {"wpd", "txt", "txt"}},
                      AddCase{"CaseKept", {"DOC"}, {"wpd", "DOC"}},
                      AddCase{"Duplicate", {"wpd"}, {"wpd", "wpd"}}),
    [](const ::testing::TestParamInfo<AddCase>& info) { return std::string(info.param.name); });

TEST(ExtensionManager, AddKeepsTheTextForAnotherAdd)
{
    AppHarness app;
    frmExtension& w = Forms::Get<frmExtension>();
    QTest::keyClicks(w.txtExtension(), "wp5");
    w.cmdAddMovie()->click();
    EXPECT_EQ(w.txtExtension()->text(), "wp5");
    EXPECT_TRUE(Accepted("wp5"));
    EXPECT_TRUE(Accepted("WP5"));
}

TEST(ExtensionManager, AnEntryWithItsDotNeverMatches)
{
    AppHarness app;
    Add(Forms::Get<frmExtension>(), ".doc");
    EXPECT_FALSE(Accepted("doc"));
}

TEST(ExtensionManager, RemoveWithNothingSelectedSaysSoAndRemovesNothing)
{
    AppHarness app;
    frmExtension& w = Forms::Get<frmExtension>();
    Add(w, "txt");
    w.LstExt()->clearSelection();
    w.LstExt()->setCurrentIndex(QModelIndex());

    w.Command2()->click();

    ASSERT_EQ(app.dialogs().messages.size(), 1);
    const auto& m = app.dialogs().messages[0];
    EXPECT_EQ(m.text, "You did not select an extension to remove.");
    EXPECT_EQ(m.caption, "Tallowin");
    EXPECT_EQ(m.icon, platform::MsgIcon::None);
    EXPECT_EQ(m.buttons, platform::MsgButtons::OK);
    EXPECT_EQ(Entries(w.LstExt()), (QStringList{"wpd", "txt"}));
}

struct RemoveCase {
    const char* name;
    QStringList entries;
    QList<int> selected;
    QStringList left;
};

class ExtensionRemove : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(ExtensionRemove, RemovesEverySelectedEntryAndOnlyThose)
{
    AppHarness app;
    frmExtension& w = Forms::Get<frmExtension>();
    gMediator->Extensions().setStringList(GetParam().entries);
    Select(w, GetParam().selected);

    w.Command2()->click();

    EXPECT_EQ(Entries(w.LstExt()), GetParam().left);
    EXPECT_TRUE(app.dialogs().messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtensionRemove,
    ::testing::Values(RemoveCase{"FirstAndThird", {"a", "b", "c"}, {0, 2}, {"b"}},
                      RemoveCase{"All", {"a", "b", "c"}, {0, 1, 2}, {}},
                      RemoveCase{"Last", {"a", "b", "c"}, {2}, {"a", "b"}},
                      RemoveCase{"OneOfTwins", {"txt", "txt"}, {1}, {"txt"}},
                      RemoveCase{"OnlyWpd", {"wpd"}, {0}, {}}),
    [](const ::testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

TEST(ExtensionManager, WithWpdRemovedNothingIsAcceptedUntilAnExtensionIsAdded)
{
    AppHarness app;
    frmExtension& w = Forms::Get<frmExtension>();
    Select(w, {0});
    w.Command2()->click();
    EXPECT_FALSE(Accepted("wpd"));
    Add(w, "WPD");
    EXPECT_TRUE(Accepted("wpd"));
}

TEST(ExtensionManager, ExitHidesAndKeepsTheListTheCloseBoxUnloadsIt)
{
    AppHarness app;
    app.mainWindow().mnuExtensions()->trigger();
    frmExtension* first = &Forms::Get<frmExtension>();
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

TEST(ExtensionManager, TabVisitsListTextAddRemoveExit)
{
    AppHarness app;
    frmExtension& w = Forms::Get<frmExtension>();
    EXPECT_EQ(uitest::TabChain(w.LstExt()), (QList<QWidget*>{w.LstExt(), w.txtExtension(), w.cmdAddMovie(),
                                                             w.Command2(), w.cmdExit()}));
}
