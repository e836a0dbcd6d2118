// SPDX-License-Identifier: MPL-2.0
// File operations on this host: what they do to real files, the one message
// each shows on failure, and that a failure never costs the user a file.
#include "fs/clsFileSystem.h"
#include "support/QStringPrinter.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>
#include <sys/stat.h>

namespace {

using testsupport::ReadFile;
using testsupport::WriteFile;

// Sets the default locale for its lifetime.
class ScopedLocale {
public:
    ScopedLocale(QLocale::Language language, QLocale::Territory territory) { QLocale::setDefault({language, territory}); }
    ~ScopedLocale() { QLocale::setDefault(mPrevious); }

private:
    QLocale mPrevious;
};

class FileOperationsTest : public testing::Test {
protected:
    QString path(const QString& name) const { return mFolder.filePath(name); }
    QString write(const QString& name, const QByteArray& content, mode_t mode = 0600) const
    {
        return WriteFile(path(name), content, mode);
    }

    QTemporaryDir mFolder;
    testsupport::ScriptedDialogs mDialogs;
    clsFileSystem mFs;
};

TEST_F(FileOperationsTest, EachOperationDoesItsWorkWithoutAMessage)
{
    const QString source = write("a.wpd", "new content");
    const QString existing = write("b.wpd", "old content that is longer"), fresh = path("c.wpd");
    mFs.CopyFile(source, fresh);
    mFs.CopyFile(source, existing);
    for (const QString& file : {fresh, existing, source})
        EXPECT_EQ(ReadFile(file), "new content") << file.toStdString();

    mFs.MoveFile(source, path("moved.wpd"));
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(ReadFile(path("moved.wpd")), "new content");

    mFs.DeleteFile(fresh);
    EXPECT_FALSE(QFileInfo::exists(fresh));

    const QString folder = path("new");
    mFs.MakeDIR(folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    mFs.RemoveDIR(folder);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(mDialogs.messages.isEmpty());
}

class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : mPrevious(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~CurrentFolder() { QDir::setCurrent(mPrevious); }

private:
    QString mPrevious;
};

// FileExist for files and folders; FileReal only for the bare name of a
// visible file in the current folder.
TEST_F(FileOperationsTest, FileExistAndFileReal)
{
    write("a.txt", "");
    write(".hidden", "");
    QDir().mkdir(path("sub"));
    ASSERT_TRUE(QFile::link(path("nowhere"), path("dangling")));
    CurrentFolder here(mFolder.path());

    const std::tuple<QString, bool, bool> cases[] = {
        {"a.txt", true, true}, {"A.TXT", false, false}, {path("a.txt"), true, false}, {"./a.txt", true, false},
        {"*.txt", false, false}, {".hidden", true, false}, {"sub", true, false}, {mFolder.path(), true, false},
        {"b.txt", false, false}, {path("dangling"), false, false}, {QString(), false, false},
    };
    for (const auto& [name, exists, real] : cases) {
        EXPECT_EQ(mFs.FileExist(name), exists) << name.toStdString();
        EXPECT_EQ(mFs.FileReal(name), real) << name.toStdString();
    }
}

TEST_F(FileOperationsTest, SaveAsksBeforeDeletingAndWritesNothing)
{
    struct Case {
        const char* name;
        bool exists;
        std::optional<platform::MsgResult> answer;
        int questions;
        bool remains;
    };
    const Case cases[] = {
        {"yes", true, platform::MsgResult::Yes, 1, false},
        {"no", true, platform::MsgResult::No, 1, true},
        {"absent", false, std::nullopt, 0, false},
    };
    CurrentFolder here(mFolder.path());
    for (const Case& c : cases) {
        const QString name = QString::fromUtf8(c.name) + ".doc";
        if (c.exists)
            write(name, "old");
        mDialogs.messages.clear();
        mDialogs.messageAnswers.clear();
        if (c.answer)
            mDialogs.messageAnswers.append(*c.answer);

        mFs.Save(name);

        EXPECT_EQ(mDialogs.boxes(), c.questions ? QStringList{"Tallowin|Overwrite File?|None|YesNo"} : QStringList())
            << c.name;
        EXPECT_EQ(ReadFile(path(name)), c.remains ? "old" : "") << c.name;
        EXPECT_EQ(QFileInfo::exists(path(name)), c.remains) << c.name;
    }
}

// A file of `size` bytes; sparse, so even sizes of several gigabytes take no
// room.
QString FileOfSize(const QTemporaryDir& folder, qint64 size)
{
    QFile file(folder.filePath("f"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    return file.fileName();
}

TEST(GetFileSizeTest, BytesThenKilobytesInTheLocalesWayAndZeroWithoutAFile)
{
    // 1025 is 1.0009765625 KB, 1056 is 1.03125 (halves round up), 2047 is 1.9990234375.
    const std::pair<qint64, const char*> cases[] = {
        {0, "0B"}, {1, "1B"}, {1023, "1023B"}, {1024, "1KB"}, {1025, "1.001KB"}, {1536, "1.5KB"},
        {1056, "1.0313KB"}, {2047, "1.999KB"}, {1048575, "1023.999KB"}, {32768 * 1024LL, "32768KB"},
        {(3LL << 30) + 5, "3145728.0049KB"}, {5LL << 30, "5242880KB"}};
    QTemporaryDir folder;
    for (const auto& [size, expected] : cases)
        EXPECT_EQ(clsFileSystem().GetFileSize(FileOfSize(folder, size)), QString::fromUtf8(expected)) << size;
    // Zero bytes when there is no file, and the locale's decimal separator.
    const clsFileSystem fs;
    for (const QString& none : {folder.filePath("missing"), folder.path(), QString()})
        EXPECT_EQ(fs.GetFileSize(none), "0B") << none.toStdString();
    const QString file = FileOfSize(folder, 1536);
    ScopedLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(fs.GetFileSize(file), "1,5KB");
}

QString MakeFolder(const QString& fullPath, mode_t mode)
{
    QDir().mkdir(fullPath);
    ::chmod(QFile::encodeName(fullPath).constData(), mode);
    return fullPath;
}

// A single attribute by its name, combinations by their number.
TEST(GetAttribTest, NamesASingleAttributeAndNumbersCombinations)
{
    const std::tuple<const char*, std::function<QString(const QString& folder)>, const char*> cases[] = {
        {"File", [](const QString& f) { return WriteFile(f + "/a.wpd", {}, 0644); }, "Archive"},
        {"OwnerOnlyFile", [](const QString& f) { return WriteFile(f + "/a.wpd", {}, 0200); }, "Archive"},
        {"ReadOnlyFile", [](const QString& f) { return WriteFile(f + "/a.wpd", {}, 0444); }, "33"},
        {"HiddenFile", [](const QString& f) { return WriteFile(f + "/.a", {}, 0644); }, "34"},
        {"Folder", [](const QString& f) { return MakeFolder(f + "/d", 0755); }, "Directory"},
        {"ReadOnlyFolder", [](const QString& f) { return MakeFolder(f + "/d", 0555); }, "17"},
        {"HiddenFolder", [](const QString& f) { return MakeFolder(f + "/.d", 0755); }, "18"},
        {"CurrentFolderIsNotHidden", [](const QString& f) { return MakeFolder(f + "/d", 0755) + "/."; }, "Directory"},
        {"Pipe", [](const QString& f) {
            const QString p = f + "/pipe";
            ::mkfifo(QFile::encodeName(p).constData(), 0644);
            return p; }, "Normal"},
        {"LinkFollowed", [](const QString& f) {
            QFile::link(WriteFile(f + "/a.wpd", {}, 0644), f + "/l");
            return f + "/l"; }, "Archive"},
        {"Missing", [](const QString& f) { return f + "/none"; }, "Unknown"},
        {"Empty", [](const QString&) { return QString(); }, "Unknown"},
    };
    for (const auto& [name, make, expected] : cases) {
        QTemporaryDir folder;
        EXPECT_EQ(clsFileSystem().GetAttrib(make(folder.path())), QString::fromUtf8(expected)) << name;
    }
}

TEST_F(FileOperationsTest, SettingAnAttributeReplacesTheOthers)
{
    const QString file = write("a.wpd", "data");
    struct Step {
        void (clsFileSystem::*set)(const QString&) const;
        const char* after;
    };
    const Step steps[] = {
        {&clsFileSystem::SetReadOnly, "33"}, {&clsFileSystem::SetNormal, "Archive"},
        {&clsFileSystem::SetReadOnly, "33"}, {&clsFileSystem::SetHidden, "Archive"}, // not renamed
        {&clsFileSystem::SetReadOnly, "33"}, {&clsFileSystem::SetSystem, "Archive"},
    };
    for (const Step& step : steps) {
        (mFs.*step.set)(file);
        EXPECT_EQ(mFs.GetAttrib(file), QString::fromUtf8(step.after));
    }
    EXPECT_EQ(ReadFile(file), "data");

    mFs.SetReadOnly(path("missing"));
    mFs.SetNormal(QString());
    EXPECT_TRUE(mDialogs.messages.isEmpty());
}

TEST_F(FileOperationsTest, GetFileDateGivesTheLastChangeWithSeconds)
{
    const QString file = write("a.wpd", "data");
    QFile handle(file);
    ASSERT_TRUE(handle.open(QIODevice::ReadWrite));
    ASSERT_TRUE(handle.setFileTime(QDateTime(QDate(2021, 3, 14), QTime(13, 14, 15)), QFileDevice::FileModificationTime));
    handle.close();
    for (const auto& [language, territory, expected] :
         {std::tuple{QLocale::German, QLocale::Germany, "14.03.21 13:14:15"},
          std::tuple{QLocale::English, QLocale::UnitedStates, "3/14/21 1:14:15 PM"}}) {
        ScopedLocale locale(language, territory);
        EXPECT_EQ(mFs.GetFileDate(file), expected);
    }
    EXPECT_EQ(mFs.GetFileDate(path("missing")), QString());
}

// Each failure shows its one message and leaves every file as it was: no
// half-written copy is left, and a move whose copy fails keeps its source
// (onto itself, a copy that "succeeds" would be followed by deleting the
// only copy).
TEST_F(FileOperationsTest, EachFailureShowsItsOneMessageAndLeavesEveryFileAsItWas)
{
    const QString source = write("a.wpd", "source"), readOnly = write("ro.wpd", "read-only", 0444);
    const QString full = path("full"), inside = write("full/inside.wpd", "keep");
    const QString folder = path("folder"), link = path("link.wpd");
    QDir().mkdir(folder);
    QFile::link(source, link);
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"Error deleting File", [&] { mFs.DeleteFile(path("missing.TMP")); }},
        {"Error deleting File", [&] { mFs.DeleteFile(folder); }},
        {"Error deleting File", [&] { mFs.DeleteFile(readOnly); }},
        {"Error deleting File", [&] { mFs.DeleteFile(QString()); }},
        {"Error copying File", [&] { mFs.CopyFile(path("missing.wpd"), path("x.wpd")); }},
        {"Error copying File", [&] { mFs.CopyFile(source, source); }},
        {"Error copying File", [&] { mFs.CopyFile(source, link); }}, // onto itself through a link
        {"Error copying File", [&] { mFs.CopyFile(source, path("no/such/folder.wpd")); }},
        {"Error copying File", [&] { mFs.CopyFile(source, readOnly); }},
        {"Error copying File", [&] { mFs.CopyFile(source, folder); }},
        {"Error copying File", [&] { mFs.CopyFile(folder, path("y.wpd")); }},
        {"Error copying File", [&] { mFs.CopyFile(source, QString()); }},
        {"Error moving File", [&] { mFs.MoveFile(source, path("no/such/b.wpd")); }},
        {"Error moving File", [&] { mFs.MoveFile(source, source); }},
        {"Error creating Directory", [&] { mFs.MakeDIR(full); }},
        {"Error creating Directory", [&] { mFs.MakeDIR(path("no/parent")); }},
        {"Error creating Directory", [&] { mFs.MakeDIR(QString()); }},
        {"Error removing Directory", [&] { mFs.RemoveDIR(full); }},
        {"Error removing Directory", [&] { mFs.RemoveDIR(path("missing")); }},
        {"Error removing Directory", [&] { mFs.RemoveDIR(source); }},
        {"Error removing Directory", [&] { mFs.RemoveDIR(QString()); }},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        mDialogs.messages.clear();
        cases[i].second();
        EXPECT_EQ(mDialogs.boxes(), QStringList{QString("Tallowin|%1|None|OK").arg(cases[i].first)}) << "case " << i;
    }
    EXPECT_EQ(ReadFile(source), "source");
    EXPECT_EQ(ReadFile(readOnly), "read-only");
    EXPECT_EQ(ReadFile(inside), "keep");
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(mFolder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
              (QStringList{"a.wpd", "folder", "full", "link.wpd", "ro.wpd"}));
}

} // namespace
