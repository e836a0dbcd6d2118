// Finding the desktop's default browser without writing any file, and
// turning its Exec line into a command with the address as one argument.
// Nothing here starts a browser: the desktop's tools are stand-in scripts
// on PATH, and only commands that cannot start are started.
#include "platform/DesktopBrowser.h"
#include "support/WindowsHarness.h"
#include "ui/WebLink.h"
#include "UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::BrowserCommand;
using platform::DesktopBrowser;
using uitest::ScopedEnv;

namespace {

const QString kAddress = "https://www.example.org/a b;echo $(id) 'q\" %u";

struct ExecCase {
    const char* name;
    const char* exec;
    bool valid;
    const char* program;
    QStringList arguments; // "@" stands for the address
};

QStringList WithAddress(const QStringList& args)
{
    QStringList out;
    for (const QString& a : args)
        out << QString(a).replace("@", kAddress);
    return out;
}

void WriteFile(const QString& path, const QByteArray& content, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

} // namespace

class ExecExpansion : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ExecExpansion, PutsTheAddressInAsOneArgument)
{
    const ExecCase c = GetParam();
    const auto command = DesktopBrowser::ExpandExec(c.exec, kAddress);
    ASSERT_EQ(command.has_value(), c.valid);
    if (!c.valid)
        return;
    EXPECT_EQ(command->program, c.program);
    EXPECT_EQ(command->arguments, WithAddress(c.arguments));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExecExpansion,
    ::testing::Values(
        ExecCase{"Url", "firefox %u", true, "firefox", {"@"}},
        ExecCase{"UrlList", "/usr/bin/chromium --new-window %U", true, "/usr/bin/chromium", {"--new-window", "@"}},
        ExecCase{"File", "browser %f", true, "browser", {"@"}},
        ExecCase{"NoFieldCode", "browser --private", true, "browser", {"--private", "@"}},
        ExecCase{"QuotedProgram", "\"/opt/My Browser/run\" %u", true, "/opt/My Browser/run", {"@"}},
        ExecCase{"QuotedEscapes", "b \"say \\\"hi\\\" \\$HOME\" %u", true, "b", {"say \"hi\" $HOME", "@"}},
        ExecCase{"OtherCodesDropped", "b %i %c %k %u", true, "b", {"@"}},
        ExecCase{"Percent", "b --zoom=100%% %u", true, "b", {"--zoom=100%", "@"}},
        ExecCase{"Embedded", "b --url=%u", true, "b", {"--url=@"}},
        ExecCase{"OnlyOnce", "b %u %U", true, "b", {"@"}},
        ExecCase{"EmptyQuoted", "b \"\" %u", true, "b", {"", "@"}},
        ExecCase{"ExtraBlanks", "  b   %u  ", true, "b", {"@"}},
        ExecCase{"Empty", "", false, "", {}},
        ExecCase{"OnlyCodes", "%i %c", false, "", {}},
        ExecCase{"Unterminated", "\"b %u", false, "", {}}),
    [](const ::testing::TestParamInfo<ExecCase>& info) { return std::string(info.param.name); });

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
        WriteFile(mBin + "/" + name, "#!/bin/sh\n" + script + "\n", true);
    }
    QString dataDir() const { return mDir.path() + "/sys"; }

    QTemporaryDir mDir;
    QString mBin;
    std::optional<ScopedEnv> mPath, mDataHome, mDataDirs;
};

TEST_F(DesktopQuery, AsksXdgSettingsFirst)
{
    Tool("xdg-settings", "[ \"$1 $2\" = 'get default-web-browser' ] && echo first.desktop");
    Tool("xdg-mime", "echo second.desktop");
    EXPECT_EQ(DesktopBrowser::QueryDefaultEntry(), "first.desktop");
}

TEST_F(DesktopQuery, FallsBackOnXdgMimeForHttp)
{
    Tool("xdg-settings", "exit 1");
    Tool("xdg-mime", "[ \"$*\" = 'query default x-scheme-handler/http' ] && echo second.desktop");
    EXPECT_EQ(DesktopBrowser::QueryDefaultEntry(), "second.desktop");
}

TEST_F(DesktopQuery, AnswersThatAreNoEntryIdMeanNoBrowser)
{
    for (const QByteArray& answer : {QByteArray("echo"), QByteArray("echo firefox"),
                                     QByteArray("echo /tmp/evil.desktop"), QByteArray("printf 'a.desktop\\nb.desktop'")}) {
        Tool("xdg-settings", answer);
        Tool("xdg-mime", answer);
        EXPECT_TRUE(DesktopBrowser::QueryDefaultEntry().isEmpty()) << answer.constData();
    }
}

TEST_F(DesktopQuery, WithoutTheToolsThereIsNoBrowser)
{
    DesktopBrowser desktop;
    EXPECT_FALSE(desktop.defaultBrowser(kAddress).has_value());
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

TEST_F(DesktopQuery, AnEntryThatIsNotInstalledMeansNoBrowser)
{
    Tool("xdg-settings", "echo gone.desktop");
    DesktopBrowser desktop;
    EXPECT_FALSE(desktop.defaultBrowser(kAddress).has_value());
}

TEST_F(DesktopQuery, WebLinkWithoutABrowserSaysSoAndWritesNoFile)
{
    // A temporary folder of its own, so that other tests running at the same
    // time cannot change what is in it.
    QTemporaryDir tmp;
    ScopedEnv tmpDir("TMPDIR", QFile::encodeName(tmp.path()));
    testsupport::AppHarness app;
    const QStringList before = QDir(QDir::tempPath()).entryList(QDir::Files | QDir::Hidden);
    WebLink::Open(WebLink::ProductAddress(), nullptr);
    ASSERT_EQ(app.dialogs().messages.size(), 1);
    EXPECT_EQ(app.dialogs().messages[0].text, "Could not find associated Browser");
    EXPECT_EQ(app.dialogs().messages[0].caption, "Browser Not Found");
    EXPECT_EQ(app.dialogs().messages[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(QDir(QDir::tempPath()).entryList(QDir::Files | QDir::Hidden), before);
}

TEST_F(DesktopQuery, WebLinkWhoseBrowserCannotStartSaysSo)
{
    Tool("xdg-settings", "echo web.desktop");
    WriteFile(dataDir() + "/applications/web.desktop", "[Desktop Entry]\nExec=/no/such/browser %u\n");
    testsupport::AppHarness app;
    WebLink::Open(WebLink::MakerAddress(), nullptr);
    ASSERT_EQ(app.dialogs().messages.size(), 1);
    EXPECT_EQ(app.dialogs().messages[0].text, "Web Page not Opened");
    EXPECT_EQ(app.dialogs().messages[0].caption, "URL Failed");
    EXPECT_EQ(app.dialogs().messages[0].icon, platform::MsgIcon::Exclamation);
}

TEST(DesktopBrowser, StartingAMissingProgramFails)
{
    DesktopBrowser desktop;
    EXPECT_FALSE(desktop.startDetached(BrowserCommand{"/no/such/browser", {kAddress}}));
    EXPECT_FALSE(desktop.startDetached(BrowserCommand{QString(), {kAddress}}));
}
