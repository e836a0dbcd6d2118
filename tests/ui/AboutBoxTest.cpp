// The About box: its texts, how it is closed, and its links.
#include "platform/Program.h"
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

TEST(AboutBox, ShowsTitleVersionAndCaption)
{
    AppHarness app;
    frmAbout& box = ShowAbout(app);
    EXPECT_EQ(box.windowTitle(), "About Tallowin");
    EXPECT_EQ(box.lblVersion()->text(), "Version 2.0.31");
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
}

TEST(AboutBox, NeverShowsTheSystemInfoButton)
{
    AppHarness app;
    frmAbout& box = ShowAbout(app);
    EXPECT_EQ(box.cmdSysInfo()->text(), "&System Info...");
    EXPECT_FALSE(box.cmdSysInfo()->isVisible());
    EXPECT_FALSE(uitest::TabChain(box.cmdOK()).contains(box.cmdSysInfo()));
}

TEST(AboutBox, OkIsTheDefaultAndTheCancelButton)
{
    AppHarness app;
    frmAbout& box = ShowAbout(app);
    EXPECT_TRUE(box.cmdOK()->isDefault());
    EXPECT_EQ(uitest::TabChain(box.cmdOK()).value(0), box.cmdOK());
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
    EXPECT_EQ(second.lblVersion()->text(), "Version 2.0.31");
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutBoxClosing, ::testing::Values("Esc", "Enter", "OK", "CloseBox"));

TEST(AboutBox, InfoWhileOpenBringsTheSameBoxForward)
{
    AppHarness app;
    frmAbout* first = &ShowAbout(app);
    frmAbout* second = &ShowAbout(app);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(second->isVisible());
}

TEST(AboutBox, ClickOnTheTitleShowsWhoCreatedIt)
{
    AppHarness app;
    frmAbout& box = ShowAbout(app);
    QTest::mouseClick(box.lblTitle(), Qt::LeftButton);

    ASSERT_EQ(app.dialogs().messages.size(), 1);
    const auto& m = app.dialogs().messages[0];
    EXPECT_EQ(m.text, "This application has been created by Oren Tasker on September 24 2002");
    EXPECT_EQ(m.caption, "Tallowin");
    EXPECT_EQ(m.icon, platform::MsgIcon::None);
    EXPECT_EQ(m.buttons, platform::MsgButtons::OK);
    EXPECT_TRUE(Forms::IsLoaded<frmAbout>()); // the box stays open
}

TEST(AboutBox, EnterOnAFocusedLinkOpensItAndLeavesTheBoxOpen)
{
    AppHarness app;
    uitest::FakeBrowser browser;
    browser.program = "browser";
    frmAbout& box = ShowAbout(app);
    QTest::keyClick(box.Label3(), Qt::Key_Enter, Qt::KeypadModifier);

    ASSERT_EQ(browser.started.size(), 1);
    EXPECT_EQ(browser.started[0].arguments, (QStringList{"--new-window", WebLink::ProductAddress()}));
    EXPECT_TRUE(Forms::IsLoaded<frmAbout>());
    EXPECT_TRUE(app.dialogs().messages.isEmpty());
}

// The two web-link messages: exact texts, captions and icons.
struct LinkCase {
    const char* name;
    const char* program;  // "" = the desktop names no browser
    bool startSucceeds;
    const char* text;     // "" = no message
    const char* caption;
};

class WebLinkMessages : public ::testing::TestWithParam<LinkCase> {};

TEST_P(WebLinkMessages, ReportExactlyWhatWentWrong)
{
    const LinkCase c = GetParam();
    AppHarness app;
    uitest::FakeBrowser browser;
    browser.program = c.program;
    browser.startSucceeds = c.startSucceeds;
    frmAbout& box = ShowAbout(app);

    QTest::mouseClick(box.Label3(), Qt::LeftButton);

    EXPECT_EQ(browser.askedFor, QStringList{WebLink::ProductAddress()});
    if (QString(c.text).isEmpty()) {
        EXPECT_TRUE(app.dialogs().messages.isEmpty());
        EXPECT_EQ(browser.started.size(), 1);
        return;
    }
    EXPECT_TRUE(browser.started.isEmpty());
    ASSERT_EQ(app.dialogs().messages.size(), 1);
    const auto& m = app.dialogs().messages[0];
    EXPECT_EQ(m.text, c.text);
    EXPECT_EQ(m.caption, c.caption);
    EXPECT_EQ(m.icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(m.buttons, platform::MsgButtons::OK);
    EXPECT_EQ(m.owner, &box);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebLinkMessages,
    ::testing::Values(LinkCase{"NoBrowser", "", true, "Could not find associated Browser", "Browser Not Found"},
                      LinkCase{"StartFails", "/no/such/browser", false, "Web Page not Opened", "URL Failed"},
                      LinkCase{"Opened", "browser", true, "", ""}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });
