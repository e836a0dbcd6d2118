// SPDX-License-Identifier: MPL-2.0
// Temporary files: where they are made (the program's own in its private run
// folder), that they exist and are empty and closed to others, that
// no two calls share a name (also from several processes at once), and the
// error-report box when none can be made.
#include "fs/clsFileSystem.h"
#include "platform/desktop/Program.h"
#include "platform/files/RunFolder.h"
#include "platform/files/TempFiles.h"
#include "support/QStringPrinter.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::ModeOf;
using testsupport::ScopedTmpDir;

bool IsEmptyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() == 0;
}

// The program's own temporary files: in the private folder of its run, in
// the system temporary folder, closed to others whatever the umask.
QString RunTempFolder()
{
    return platform::RunFolder::Instance().tempFolder() + QLatin1Char('/');
}

TEST(FnGetTempPathTest, EmptyArgumentsMakeAPrivateEmptyFileInTheRunFolderANewOneEachTime)
{
    ScopedTmpDir tmp;
    testsupport::ScriptedDialogs dialogs;
    const mode_t umask = ::umask(0);
    const QString path = clsFileSystem().fnGetTempPath(QString(), QString());
    ::umask(umask);

    ASSERT_EQ(platform::SystemTempPath(), tmp.path() + "/");
    EXPECT_TRUE(path.startsWith(RunTempFolder())) << path.toStdString();
    // In the run's folder, or in memory-backed storage where there is some.
    struct statfs fs {};
    ASSERT_EQ(::statfs(QFile::encodeName(path).constData(), &fs), 0);
    EXPECT_TRUE(path.startsWith(tmp.path() + "/") || static_cast<unsigned long>(fs.f_type) == TMPFS_MAGIC)
        << path.toStdString();
    EXPECT_TRUE(IsEmptyFile(path)) << path.toStdString();
    EXPECT_EQ(ModeOf(path) & 07777, 0600u);
    EXPECT_EQ(ModeOf(RunTempFolder()) & 07777, 0700u);
    EXPECT_TRUE(QRegularExpression(QString("^[0-9A-F]+\\.TMP$")).match(QFileInfo(path).fileName()).hasMatch())
        << path.toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    const QString second = clsFileSystem().fnGetTempPath();
    EXPECT_NE(second, path);
    EXPECT_TRUE(IsEmptyFile(second) && IsEmptyFile(path));
}

// A folder given (trimmed, more than one character) is used; anything else
// means the run's own. "@" stands for a real folder made by the test.
TEST(FnGetTempPathTest, ChoosesTheFolder)
{
    ScopedTmpDir tmp;
    QTemporaryDir given;
    const std::pair<QString, bool> cases[] = {{QString(), false}, {"x", false}, {"  /  ", false}, {"    ", false},
                                              {"@", true}, {"@/", true}, {"  @  ", true}};
    for (const auto& [folderArgument, usesGivenFolder] : cases) {
        const QString path = clsFileSystem().fnGetTempPath(QString(), QString(folderArgument).replace('@', given.path()));
        const QString expectedFolder = usesGivenFolder ? given.path() + QLatin1Char('/') : RunTempFolder();
        EXPECT_EQ(QFileInfo(path).path() + QLatin1Char('/'), expectedFolder) << path.toStdString();
        EXPECT_FALSE(path.contains(QString("//"))) << path.toStdString();
        EXPECT_TRUE(IsEmptyFile(path));
    }
}

TEST(FnGetTempPathTest, NameStartsWithAtMostThreeCharactersOfThePrefix)
{
    ScopedTmpDir tmp;
    const std::pair<QString, const char*> cases[] = {
        {QString("wpdoc"), "^wpd[0-9A-F]+\\.TMP$"},
        {QString("  ab  "), "^ab[0-9A-F]+\\.TMP$"},
        {QString("x"), "^x[0-9A-F]+\\.TMP$"},
    };
    for (const auto& [prefix, pattern] : cases) {
        const QString name = QFileInfo(clsFileSystem().fnGetTempPath(prefix)).fileName();
        EXPECT_TRUE(QRegularExpression(QString::fromUtf8(pattern)).match(name).hasMatch()) << name.toStdString();
    }
}

TEST(FnGetTempPathTest, FailureShowsTheErrorReportAndGivesEmptyText)
{
    ScopedTmpDir tmp;
    testsupport::ScriptedDialogs dialogs;
    platform::SetAppPath(QString("/opt/tallowin"));
    const QString missing = tmp.path() + "/no such folder";

    const QString path = clsFileSystem().fnGetTempPath(QString(), missing);
    platform::SetAppPath(QString());

    EXPECT_TRUE(path.isEmpty());
    // Seven lines: what went wrong, from where and when, as the system says it.
    const QRegularExpression report("^You have a Problem!\\|Unexpected Error Returned\r\n"
                                    "At   modGetTempFile  fnGetTempPath\r\nNmbr 76\r\nDesc [^\r\n]+\r\n"
                                    "Srce [^\r\n]+\r\nTime [^\r\n]+\r\nPath /opt/tallowin\\|Critical\\|OK$");
    ASSERT_EQ(dialogs.boxes().size(), 1);
    EXPECT_TRUE(report.match(dialogs.boxes().first()).hasMatch()) << dialogs.boxes().first().toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST(FnGetTempPathTest, UniqueAcrossConcurrentProcesses)
{
    constexpr int kChildren = 4;
    constexpr int kFilesEach = 250;
    QTemporaryDir shared;
    QTemporaryDir reports;
    testsupport::ScriptedDialogs dialogs; // no child may open a real box

    std::vector<pid_t> children;
    for (int child = 0; child < kChildren; ++child) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // The child lists the paths it was given, one a line, and leaves
            // without running any of the parent's clean-up.
            QFile report(reports.filePath(QString::number(child)));
            bool ok = report.open(QIODevice::WriteOnly);
            const clsFileSystem fs;
            for (int i = 0; ok && i < kFilesEach; ++i) {
                const QString path = fs.fnGetTempPath(QString(), shared.path());
                ok = !path.isEmpty() && report.write(QFile::encodeName(path) + '\n') > 0;
            }
            report.close();
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    QSet<QString> all;
    int handedOut = 0;
    for (int child = 0; child < kChildren; ++child) {
        for (const QByteArray& line : testsupport::ReadFile(reports.filePath(QString::number(child))).split('\n')) {
            handedOut += !line.isEmpty();
            all.insert(QFile::decodeName(line));
        }
    }
    all.remove(QString());
    EXPECT_EQ(handedOut, kChildren * kFilesEach);
    EXPECT_EQ(all.size(), handedOut) << "a name was handed out twice";
    EXPECT_EQ(QDir(shared.path()).entryList(QDir::Files).size(), handedOut);
}

} // namespace
