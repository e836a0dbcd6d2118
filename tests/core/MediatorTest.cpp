// SPDX-License-Identifier: MPL-2.0
// The Mediator without windows: the record of chosen paths, the choosing of
// folders and documents, and what it keeps for the windows to show.
#include "core/DocumentList.h"
#include "core/Mediator.h"
#include "support/AppHarness.h"
#include "support/ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>

using testsupport::AppHarness;

TEST(Mediator, RecordsTheTempFolderAndPathsExactlyAsGiven)
{
    testsupport::ScopedTmpDir tmp;
    AppHarness app;
    Mediator& m = app.mediator();
    EXPECT_EQ(m.GetTempFolder(), tmp.path() + "/");
    for (auto get : {&Mediator::GetSourceFolder, &Mediator::GetTgtFolder, &Mediator::GetSourceFile, &Mediator::GetTgtFile})
        EXPECT_TRUE((m.*get)().isEmpty());
    for (const QString& text : {QString("/a/b/"), QString("/a/b"), QString(" spaced "), QString()}) {
        m.SetTgtFolder(text);
        EXPECT_EQ(m.GetTgtFolder(), text);
        m.SetSourceFolder(text);
        EXPECT_EQ(m.GetSourceFolder(), text);
    }
}

// How the batch dialog shows what is found, and that cancelling the
// browsers keeps or empties the folders, is tested with the dialog.
TEST(Mediator, SourceFolderListsTheAcceptedDocumentsInFileListOrderAndNothingWhenItCannot)
{
    AppHarness app;
    const auto f = app.folders({"b.txt", "C.WPD", "a.wpd", "README"});
    app.dialogs().folderAnswers = {f.source};

    app.mediator().SourceFolder();

    EXPECT_EQ(app.mediator().FoundDocuments().stringList(), (QStringList{"a.wpd", "C.WPD"}));
    EXPECT_EQ(app.mediator().GetSourceFolder(), f.source);
    // "unknown" in the list accepts files without a usable extension.
    app.mediator().Extensions().AddItem("Unknown");
    app.dialogs().folderAnswers = {f.source};
    app.mediator().SourceFolder();
    EXPECT_EQ(app.mediator().FoundDocuments().stringList(), (QStringList{"a.wpd", "C.WPD", "README"}));

    app.dialogs().folderAnswers = {"/no/such/folder"};
    app.mediator().SourceFolder();
    EXPECT_TRUE(app.mediator().FoundDocuments().stringList().isEmpty());
    EXPECT_EQ(app.mediator().GetSourceFolder(), "/no/such/folder");
}

namespace {

// Runs `body` in a child process whose file-system root is `root` (as root,
// or in a user namespace of its own), and returns what it wrote to the pipe;
// nothing when no such process can be made here.
std::optional<QByteArray> inChangedRoot(const QString& root, const std::function<QByteArray()>& body)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const QByteArray folder = QFile::encodeName(root);
        bool changed = ::chroot(folder.constData()) == 0;
        if (!changed && ::unshare(CLONE_NEWUSER) == 0) {
            const uid_t uid = ::geteuid();
            const gid_t gid = ::getegid();
            const auto put = [](const char* file, const QByteArray& text) {
                QFile f(file);
                return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
            };
            changed = put("/proc/self/setgroups", "deny") && put("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1")
                      && put("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1")
                      && ::chroot(folder.constData()) == 0;
        }
        const QByteArray result = changed && ::chdir("/") == 0 ? body() : QByteArray("no-root");
        [[maybe_unused]] auto written = ::write(channel[1], result.constData(), static_cast<size_t>(result.size()));
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (result == "no-root")
        return std::nullopt;
    return result;
}

} // namespace

TEST(Mediator, AFileSystemRootIsListedAndConvertedWithOneSeparatorAfterIt)
{
    AppHarness app;
    QTemporaryDir root;
    for (const char* name : {"a.wpd", "B.WPD", "notes.txt"})
        testsupport::WriteFile(root.filePath(name));
    QDir().mkpath(root.path() + "/folder.wpd");
    QDir().mkpath(root.path() + "/out");

    // Inside, "/" is the test's folder: the batch dialog's listing of it and
    // a batch from it into "/out".
    const auto seen = inChangedRoot(root.path(), [&] {
        app.dialogs().folderAnswers = {"/"};
        app.mediator().SourceFolder();
        const QStringList found = app.mediator().FoundDocuments().stringList();
        app.startBatch("/", "/out");
        return (found.join(',') + '|' + app.server().pathsOf("FileOpen").join(',') + '|'
                + app.server().pathsOf("FileSave").filter(".doc").join(','))
            .toUtf8();
    });
    if (!seen)
        GTEST_SKIP() << "no process with a root of its own can be made here";
    EXPECT_EQ(QString::fromUtf8(*seen), "a.wpd,B.WPD|/a.wpd,/B.WPD|/out/a.doc,/out/B.doc");
    EXPECT_TRUE(QFile::exists(root.path() + "/out/B.doc"));
}
