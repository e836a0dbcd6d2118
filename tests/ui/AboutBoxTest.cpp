// SPDX-License-Identifier: MPL-2.0
// The About box: its texts, how it is closed, and its links.
#include "platform/desktop/Program.h"
#include "support/WindowsHarness.h"
#include "ui/ClickableLabel.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "ui/WebLink.h"
#include "ui/frmAbout.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using AppHarness = testsupport::WindowsHarness;

namespace {

frmAbout& ShowAbout(AppHarness& app)
{
    app.mainWindow().mnuInfo()->trigger();
    return Forms::Get<frmAbout>();
}

} // namespace

TEST(AboutBox, ShowsTitleVersionAndCaptionAndOnlyTheOkButtonAndAClickOnTheTitleShowsWhoCreatedIt)
{
    AppHarness app;
    frmAbout& box = ShowAbout(app);
    EXPECT_EQ(box.windowTitle(), "About Tallowin");
    EXPECT_EQ(box.lblVersion()->text(), QString("Version %1.%2.%3")
                                            .arg(platform::VersionMajor())
                                            .arg(platform::VersionMinor())
                                            .arg(platform::VersionRevision()));
    EXPECT_EQ(box.lblTitle()->text(), "Tallowin");
    EXPECT_EQ(box.lblDescription()->text(), "Converts WordPerfect documents to Word");
    EXPECT_EQ(box.Label3()->text(), WebLink::ProductText());
    EXPECT_EQ(box.size(), QSize(374, 276));
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.isModal());
    EXPECT_TRUE(app.dialogs().modalTitles.isEmpty());
    // OK is the default button (Esc closes the box too, see below); the
    // system information button is never shown (nor reached by Tab, see the
    // accessibility tests).
    EXPECT_TRUE(box.cmdOK()->isDefault());
    EXPECT_FALSE(box.cmdSysInfo()->isVisible());

    QTest::mouseClick(box.lblTitle(), Qt::LeftButton);
    EXPECT_EQ(app.dialogs().boxes(),
              QStringList{"Tallowin|This application has been created by Oren Tasker on September 24 2002|None|OK"});
    EXPECT_TRUE(Forms::IsLoaded<frmAbout>()); // the box stays open
}

// Each way of closing the box unloads it; "Info" then loads a new one.
class AboutBoxClosing : public ::testing::TestWithParam<const char*> {};

TEST_P(AboutBoxClosing, UnloadsTheBoxAndInfoLoadsItAnew)
{
    AppHarness app;
    frmAbout* first = &ShowAbout(app);
    const QString how = GetParam();
    if (how == "Esc")
        QTest::keyClick(first, Qt::Key_Escape);
    else if (how == "Enter")
        QTest::keyClick(first, Qt::Key_Return);
    else if (how == "OK")
        QTest::mouseClick(first->cmdOK(), Qt::LeftButton);
    else
        first->close();

    EXPECT_FALSE(Forms::IsLoaded<frmAbout>());
    EXPECT_FALSE(first->isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    frmAbout& second = ShowAbout(app);
    EXPECT_TRUE(second.isVisible());
    EXPECT_EQ(second.windowTitle(), "About Tallowin");
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutBoxClosing, ::testing::Values("Esc", "Enter", "OK", "CloseBox"));

// The link, clicked or by Enter while focused: opened, or the two web-link
// messages with their exact texts, captions and icons; the box stays open.
struct LinkCase {
    const char* name;
    const char* program;  // "" = the desktop names no browser
    bool startSucceeds;
    bool byEnter;
    const char* box; // "" = no message
};

class WebLinkMessages : public ::testing::TestWithParam<LinkCase> {};

TEST_P(WebLinkMessages, OpenTheLinkOrReportExactlyWhatWentWrong)
{
    const LinkCase c = GetParam();
    AppHarness app;
    uitest::FakeBrowser browser;
    browser.program = c.program;
    browser.startSucceeds = c.startSucceeds;
    frmAbout& box = ShowAbout(app);

    if (c.byEnter)
        QTest::keyClick(box.Label3(), Qt::Key_Enter, Qt::KeypadModifier);
    else
        QTest::mouseClick(box.Label3(), Qt::LeftButton);

    EXPECT_EQ(browser.askedFor, QStringList{WebLink::ProductAddress()});
    EXPECT_TRUE(Forms::IsLoaded<frmAbout>());
    if (QString(c.box).isEmpty()) {
        EXPECT_TRUE(app.dialogs().messages.isEmpty());
        ASSERT_EQ(browser.started.size(), 1);
        EXPECT_EQ(browser.started[0].arguments, (QStringList{"--new-window", WebLink::ProductAddress()}));
        return;
    }
    EXPECT_TRUE(browser.started.isEmpty());
    ASSERT_EQ(app.dialogs().boxes(), QStringList{c.box});
    EXPECT_EQ(app.dialogs().messages[0].owner, &box);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebLinkMessages,
    ::testing::Values(
        LinkCase{"NoBrowser", "", true, false, "Browser Not Found|Could not find associated Browser|Exclamation|OK"},
        LinkCase{"StartFails", "/no/such/browser", false, false, "URL Failed|Web Page not Opened|Exclamation|OK"},
        LinkCase{"Opened", "browser", true, false, ""}, LinkCase{"OpenedByEnter", "browser", true, true, ""}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });
