// SPDX-License-Identifier: MPL-2.0
// Finding the desktop's default browser without writing any file, and
// turning its Exec line into a command with the address as one argument.
// Nothing here starts a browser: the desktop's tools are stand-in scripts
// on PATH, and only commands that cannot start are started.
#include "platform/desktop/DesktopBrowser.h"
#include "support/ScopedEnv.h"
#include "support/WindowsHarness.h"
#include "ui/WebLink.h"
#include "UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::BrowserCommand;
using platform::DesktopBrowser;
using testsupport::WriteFile;
using testsupport::ScopedEnv;

namespace {

const QString kAddress = "https://www.example.org/a b;echo $(id) 'q\" %u";

} // namespace

// The Exec line as the entry gives it: the program, its arguments with the
// address as one ("@" stands for it), or nothing where no program is named.
TEST(DesktopBrowser, ExpandExecPutsTheAddressInAsOneArgument)
{
    const std::tuple<const char*, const char*, QStringList> cases[] = {
        {"firefox %u", "firefox", {"@"}},
        {"/usr/bin/chromium --new-window %U", "/usr/bin/chromium", {"--new-window", "@"}},
        {"browser %f", "browser", {"@"}},
        {"browser --private", "browser", {"--private", "@"}},
        {"\"/opt/My Browser/run\" %u", "/opt/My Browser/run", {"@"}},
        {"b \"say \\\"hi\\\" \\$HOME\" %u", "b", {"say \"hi\" $HOME", "@"}},
        {"b %i %c %k %u", "b", {"@"}},
        {"b --zoom=100%% %u", "b", {"--zoom=100%", "@"}},
        {"b --url=%u", "b", {"--url=@"}},
        {"b %u %U", "b", {"@"}},
        {"b \"\" %u", "b", {"", "@"}},
        {"  b   %u  ", "b", {"@"}},
        {"", "", {}},
        {"%i %c", "", {}},
        {"\"b %u", "", {}},
    };
    for (const auto& [exec, program, arguments] : cases) {
        SCOPED_TRACE(exec);
        const auto command = DesktopBrowser::ExpandExec(exec, kAddress);
        ASSERT_EQ(command.has_value(), *program != 0);
        if (command) {
            EXPECT_EQ(command->program, program);
            EXPECT_EQ(command->arguments, QStringList(arguments).replaceInStrings("@", kAddress));
        }
    }
}

TEST(DesktopBrowser, ReadsExecFromTheDesktopEntryGroupOnly)
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/b.desktop";
    WriteFile(file, "# comment\n[Desktop Entry]\nName=B\nExecutable=no\nExec = /opt/b\\sbrowser %u\n"
                    "[Desktop Action new]\nExec=/opt/b --new %u\n");
    EXPECT_EQ(DesktopBrowser::ReadExec(file), "/opt/b browser %u");

    WriteFile(file, "[Desktop Action new]\nExec=/opt/b --new %u\n[Desktop Entry]\nName=B\n");
    EXPECT_TRUE(DesktopBrowser::ReadExec(file).isEmpty());
    EXPECT_TRUE(DesktopBrowser::ReadExec(dir.path() + "/missing.desktop").isEmpty());
}

TEST(DesktopBrowser, FindsTheEntryInTheFirstDataFolderThatHasIt)
{
    QTemporaryDir dir;
    const QString home = dir.path() + "/home", sys = dir.path() + "/sys";
    WriteFile(sys + "/applications/b.desktop", "[Desktop Entry]\n");
    WriteFile(sys + "/applications/vendor/web.desktop", "[Desktop Entry]\n");
    EXPECT_EQ(DesktopBrowser::FindEntryFile("b.desktop", {home, sys}), sys + "/applications/b.desktop");
    WriteFile(home + "/applications/b.desktop", "[Desktop Entry]\n");
    EXPECT_EQ(DesktopBrowser::FindEntryFile("b.desktop", {home, sys}), home + "/applications/b.desktop");
    EXPECT_EQ(DesktopBrowser::FindEntryFile("vendor-web.desktop", {home, sys}),
              sys + "/applications/vendor/web.desktop");
    for (const char* bad : {"", "missing.desktop", "../sys/applications/b.desktop", "/etc/passwd"})
        EXPECT_TRUE(DesktopBrowser::FindEntryFile(bad, {home, sys}).isEmpty()) << bad;
}

// The desktop's two tools, replaced by scripts on PATH.
class DesktopQuery : public ::testing::Test {
protected:
    void SetUp() override
    {
        mBin = mDir.path() + "/bin";
        QDir().mkpath(mBin);
        mPath.emplace("PATH", QFile::encodeName(mBin));
        mDataHome.emplace("XDG_DATA_HOME", QFile::encodeName(mDir.path() + "/home"));
        mDataDirs.emplace("XDG_DATA_DIRS", QFile::encodeName(mDir.path() + "/sys"));
    }
    void Tool(const char* name, const QByteArray& script)
    {
        WriteFile(mBin + "/" + name, "#!/bin/sh\n" + script + "\n", 0700);
    }
    QString dataDir() const { return mDir.path() + "/sys"; }

    QTemporaryDir mDir;
    QString mBin;
    std::optional<ScopedEnv> mPath, mDataHome, mDataDirs;
};

// xdg-settings first, xdg-mime for http after it; an answer that is no
// entry id, no tools at all, or an entry that is not installed (none is
// here) means no browser.
TEST_F(DesktopQuery, AsksXdgSettingsFirstThenXdgMimeForHttp)
{
    const struct {
        const char* settings;
        const char* mime;
        const char* entry;
    } cases[] = {
        {"[ \"$1 $2\" = 'get default-web-browser' ] && echo first.desktop", "echo second.desktop", "first.desktop"},
        {"exit 1", "[ \"$*\" = 'query default x-scheme-handler/http' ] && echo second.desktop", "second.desktop"},
        {"echo", "echo", ""},
        {"echo firefox", "echo firefox", ""},
        {"echo /tmp/evil.desktop", "echo /tmp/evil.desktop", ""},
        {"printf 'a.desktop\\nb.desktop'", "printf 'a.desktop\\nb.desktop'", ""},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings ? c.settings : "no tools");
        QFile::remove(mBin + "/xdg-settings");
        QFile::remove(mBin + "/xdg-mime");
        if (c.settings) {
            Tool("xdg-settings", c.settings);
            Tool("xdg-mime", c.mime);
        }
        EXPECT_EQ(DesktopBrowser::QueryDefaultEntry(), c.entry);
        EXPECT_FALSE(DesktopBrowser().defaultBrowser(kAddress).has_value());
    }
}

TEST_F(DesktopQuery, TheEntrysExecBecomesTheCommand)
{
    Tool("xdg-settings", "echo web.desktop");
    WriteFile(dataDir() + "/applications/web.desktop",
              "[Desktop Entry]\nType=Application\nExec=/opt/web/browser --new-tab %U\n");
    DesktopBrowser desktop;
    const auto command = desktop.defaultBrowser(kAddress);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->program, "/opt/web/browser");
    EXPECT_EQ(command->arguments, (QStringList{"--new-tab", kAddress}));
}

TEST_F(DesktopQuery, WebLinkWithoutABrowserOrWhoseBrowserCannotStartSaysSoAndWritesNoFile)
{
    // A temporary folder of its own, so that other tests running at the same
    // time cannot change what is in it.
    testsupport::ScopedTmpDir tmp;
    testsupport::AppHarness app;
    const QStringList before = QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden);
    WebLink::Open(WebLink::ProductAddress(), nullptr);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), before);

    Tool("xdg-settings", "echo web.desktop");
    WriteFile(dataDir() + "/applications/web.desktop", "[Desktop Entry]\nExec=/no/such/browser %u\n");
    WebLink::Open(WebLink::MakerAddress(), nullptr);

    EXPECT_EQ(app.dialogs().boxes(), (QStringList{"Browser Not Found|Could not find associated Browser|Exclamation|OK",
                                                  "URL Failed|Web Page not Opened|Exclamation|OK"}));
    EXPECT_FALSE(DesktopBrowser().startDetached(BrowserCommand{QString(), {kAddress}})); // nor does no program
}
