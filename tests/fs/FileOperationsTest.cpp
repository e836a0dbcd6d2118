// File operations on this host: what they do to real files, the one message
// each shows on failure, and that a failure never costs the user a file.
#include "fs/clsFileSystem.h"
#include "support/QStringPrinter.h"

#include "support/ScriptedDialogs.h"

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

class FileOperationsTest : public testing::Test {
protected:
    QString path(const QString& name) const { return mFolder.filePath(name); }

    QString write(const QString& name, const QByteArray& content) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path(name);
    }

    static QByteArray read(const QString& fullPath)
    {
        QFile file(fullPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    static void makeReadOnly(const QString& fullPath)
    {
        ASSERT_EQ(::chmod(QFile::encodeName(fullPath).constData(), 0444), 0);
    }

    QTemporaryDir mFolder;
    testsupport::ScriptedDialogs mDialogs;
    clsFileSystem mFs;
};

// --- DeleteFile ------------------------------------------------------------

TEST_F(FileOperationsTest, DeleteFileRemovesTheFileSilently)
{
    const QString file = write(QStringLiteral("a.TMP"), "x");
    mFs.DeleteFile(file);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(mDialogs.messages.isEmpty());
}

TEST_F(FileOperationsTest, DeleteFileOnAMissingFileShowsOneMessageAndReturns)
{
    mFs.DeleteFile(path(QStringLiteral("missing.TMP")));
    ASSERT_EQ(mDialogs.messages.size(), 1);
    const platform::MessageBoxRequest& box = mDialogs.messages.first();
    EXPECT_EQ(box.text, QStringLiteral("Error deleting File"));
    EXPECT_EQ(box.buttons, platform::MsgButtons::OK);
    EXPECT_EQ(box.icon, platform::MsgIcon::None);
    EXPECT_FALSE(box.caption.isEmpty());
}

TEST_F(FileOperationsTest, DeleteFileRefusesWhatIsNotAWritableFile)
{
    const QString folder = path(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString readOnly = write(QStringLiteral("kept.wpd"), "keep me");
    makeReadOnly(readOnly);

    for (const QString& target : {folder, readOnly, QString()}) {
        mDialogs.messages.clear();
        mFs.DeleteFile(target);
        EXPECT_EQ(mDialogs.messageTexts(), QStringList{QStringLiteral("Error deleting File")}) << target.toStdString();
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(read(readOnly), QByteArray("keep me"));
}

// --- FileExist, FileReal, Save ---------------------------------------------

TEST_F(FileOperationsTest, FileExistForFilesAndFolders)
{
    const QString file = write(QStringLiteral("a.wpd"), "");
    const QString dangling = path(QStringLiteral("dangling"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("nowhere")), dangling));
    for (const auto& [target, exists] : {
             std::pair{file, true}, std::pair{mFolder.path(), true}, std::pair{path(QStringLiteral("b.wpd")), false},
             std::pair{dangling, false}, std::pair{QString(), false}})
        EXPECT_EQ(mFs.FileExist(target), exists) << target.toStdString();
}

class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : mPrevious(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~CurrentFolder() { QDir::setCurrent(mPrevious); }

private:
    QString mPrevious;
};

TEST_F(FileOperationsTest, FileRealOnlyForTheBareNameOfAVisibleFileHere)
{
    write(QStringLiteral("a.txt"), "");
    write(QStringLiteral(".hidden"), "");
    QDir().mkdir(path(QStringLiteral("sub")));
    CurrentFolder here(mFolder.path());

    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("a.txt"), true},
        {QStringLiteral("A.TXT"), false},
        {path(QStringLiteral("a.txt")), false},
        {QStringLiteral("./a.txt"), false},
        {QStringLiteral("*.txt"), false},
        {QStringLiteral(".hidden"), false},
        {QStringLiteral("sub"), false},
        {QStringLiteral("b.txt"), false},
        {QString(), false},
    };
    for (const auto& [name, real] : cases)
        EXPECT_EQ(mFs.FileReal(name), real) << name.toStdString();
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
        const QString name = QString::fromUtf8(c.name) + QStringLiteral(".doc");
        if (c.exists)
            write(name, "old");
        mDialogs.messages.clear();
        mDialogs.messageAnswers.clear();
        if (c.answer)
            mDialogs.messageAnswers.append(*c.answer);

        mFs.Save(name);

        ASSERT_EQ(mDialogs.messages.size(), c.questions) << c.name;
        if (c.questions > 0) {
            EXPECT_EQ(mDialogs.messages.first().text, QStringLiteral("Overwrite File?"));
            EXPECT_EQ(mDialogs.messages.first().buttons, platform::MsgButtons::YesNo);
        }
        EXPECT_EQ(QFileInfo::exists(path(name)), c.remains) << c.name;
        if (c.remains) {
            EXPECT_EQ(read(path(name)), QByteArray("old"));
        }
    }
}

// --- GetFileSize -----------------------------------------------------------

class GetFileSizeTest : public testing::TestWithParam<std::pair<qint64, const char*>> {};

TEST_P(GetFileSizeTest, BytesThenKilobytes)
{
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("f")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // Sparse: even sizes of several gigabytes take no room.
    ASSERT_TRUE(file.resize(GetParam().first));
    file.close();
    EXPECT_EQ(clsFileSystem().GetFileSize(file.fileName()), QString::fromUtf8(GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(, GetFileSizeTest, testing::Values(
    std::pair<qint64, const char*>{0, "0B"},
    std::pair<qint64, const char*>{1, "1B"},
    std::pair<qint64, const char*>{1023, "1023B"},
    std::pair<qint64, const char*>{1024, "1KB"},
    std::pair<qint64, const char*>{1025, "1.001KB"},        // 1.0009765625
    std::pair<qint64, const char*>{1536, "1.5KB"},
    std::pair<qint64, const char*>{1056, "1.0313KB"},       // 1.03125: halves round up
    std::pair<qint64, const char*>{2047, "1.999KB"},        // 1.9990234375
    std::pair<qint64, const char*>{1048575, "1023.999KB"},
    std::pair<qint64, const char*>{32768 * 1024LL, "32768KB"},
    std::pair<qint64, const char*>{(3LL << 30) + 5, "3145728.0049KB"},
    std::pair<qint64, const char*>{5LL << 30, "5242880KB"}));

TEST(GetFileSizeFailureTest, ZeroBytesWhenThereIsNoFile)
{
    QTemporaryDir folder;
    const clsFileSystem fs;
    EXPECT_EQ(fs.GetFileSize(folder.filePath(QStringLiteral("missing"))), QStringLiteral("0B"));
    EXPECT_EQ(fs.GetFileSize(folder.path()), QStringLiteral("0B"));
    EXPECT_EQ(fs.GetFileSize(QString()), QStringLiteral("0B"));
}

TEST(GetFileSizeLocaleTest, UsesTheLocalesDecimalSeparator)
{
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("f")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(1536));
    file.close();
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString size = clsFileSystem().GetFileSize(file.fileName());
    QLocale::setDefault(previous);
    EXPECT_EQ(size, QStringLiteral("1,5KB"));
}

// --- Attributes ------------------------------------------------------------

struct AttribCase {
    const char* name;
    std::function<QString(const QString& folder)> make; // returns the path
    const char* expected;
};

class GetAttribTest : public testing::TestWithParam<AttribCase> {};

TEST_P(GetAttribTest, NamesASingleAttributeAndNumbersCombinations)
{
    QTemporaryDir folder;
    const QString target = GetParam().make(folder.path());
    EXPECT_EQ(clsFileSystem().GetAttrib(target), QString::fromUtf8(GetParam().expected));
}

QString MakeFile(const QString& fullPath, mode_t mode)
{
    QFile file(fullPath);
    if (file.open(QIODevice::WriteOnly))
        file.close();
    ::chmod(QFile::encodeName(fullPath).constData(), mode);
    return fullPath;
}

QString MakeFolder(const QString& fullPath, mode_t mode)
{
    QDir().mkdir(fullPath);
    ::chmod(QFile::encodeName(fullPath).constData(), mode);
    return fullPath;
}

INSTANTIATE_TEST_SUITE_P(, GetAttribTest, testing::Values(
    AttribCase{"File", [](const QString& f) { return MakeFile(f + "/a.wpd", 0644); }, "Archive"},
    AttribCase{"OwnerOnlyFile", [](const QString& f) { return MakeFile(f + "/a.wpd", 0200); }, "Archive"},
    AttribCase{"ReadOnlyFile", [](const QString& f) { return MakeFile(f + "/a.wpd", 0444); }, "33"},
    AttribCase{"HiddenFile", [](const QString& f) { return MakeFile(f + "/.a", 0644); }, "34"},
    AttribCase{"Folder", [](const QString& f) { return MakeFolder(f + "/d", 0755); }, "Directory"},
    AttribCase{"ReadOnlyFolder", [](const QString& f) { return MakeFolder(f + "/d", 0555); }, "17"},
    AttribCase{"HiddenFolder", [](const QString& f) { return MakeFolder(f + "/.d", 0755); }, "18"},
    AttribCase{"CurrentFolderIsNotHidden", [](const QString& f) { return MakeFolder(f + "/d", 0755) + "/."; }, "Directory"},
    AttribCase{"Pipe", [](const QString& f) {
        const QString p = f + "/pipe";
        ::mkfifo(QFile::encodeName(p).constData(), 0644);
        return p; }, "Normal"},
    AttribCase{"LinkFollowed", [](const QString& f) {
        QFile::link(MakeFile(f + "/a.wpd", 0644), f + "/l");
        return f + "/l"; }, "Archive"},
    AttribCase{"Missing", [](const QString& f) { return f + "/none"; }, "Unknown"},
    AttribCase{"Empty", [](const QString&) { return QString(); }, "Unknown"}),
    [](const testing::TestParamInfo<AttribCase>& info) { return std::string(info.param.name); });

TEST_F(FileOperationsTest, SettingAnAttributeReplacesTheOthers)
{
    const QString file = write(QStringLiteral("a.wpd"), "data");
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
    EXPECT_EQ(read(file), QByteArray("data"));

    mFs.SetReadOnly(path(QStringLiteral("missing")));
    mFs.SetNormal(QString());
    EXPECT_TRUE(mDialogs.messages.isEmpty());
}

// --- GetFileDate -----------------------------------------------------------

TEST_F(FileOperationsTest, GetFileDateGivesTheLastChangeWithSeconds)
{
    const QString file = write(QStringLiteral("a.wpd"), "data");
    const QDateTime changed(QDate(2021, 3, 14), QTime(13, 14, 15));
    {
        QFile handle(file);
        ASSERT_TRUE(handle.open(QIODevice::ReadWrite));
        ASSERT_TRUE(handle.setFileTime(changed, QFileDevice::FileModificationTime));
    }
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = mFs.GetFileDate(file);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString american = mFs.GetFileDate(file);
    QLocale::setDefault(previous);

    EXPECT_EQ(german, QStringLiteral("14.03.21 13:14:15"));
    EXPECT_EQ(american, QStringLiteral("3/14/21 1:14:15 PM"));
    EXPECT_EQ(mFs.GetFileDate(path(QStringLiteral("missing"))), QString());
}

// --- CopyFile and MoveFile -------------------------------------------------

TEST_F(FileOperationsTest, CopyFileCopiesAndReplaces)
{
    const QString source = write(QStringLiteral("a.wpd"), "new content");
    const QString existing = write(QStringLiteral("b.wpd"), "old content that is longer");
    const QString fresh = path(QStringLiteral("c.wpd"));

    mFs.CopyFile(source, fresh);
    mFs.CopyFile(source, existing);

    EXPECT_EQ(read(fresh), QByteArray("new content"));
    EXPECT_EQ(read(existing), QByteArray("new content"));
    EXPECT_EQ(read(source), QByteArray("new content"));
    EXPECT_TRUE(mDialogs.messages.isEmpty());
}

TEST_F(FileOperationsTest, CopyFileFailuresLeaveEveryFileAsItWas)
{
    const QString source = write(QStringLiteral("a.wpd"), "source");
    const QString readOnly = write(QStringLiteral("ro.wpd"), "read-only");
    makeReadOnly(readOnly);
    const QString folder = path(QStringLiteral("folder"));
    QDir().mkdir(folder);
    const QString link = path(QStringLiteral("link.wpd"));
    QFile::link(source, link);

    const std::pair<QString, QString> cases[] = {
        {path(QStringLiteral("missing.wpd")), path(QStringLiteral("x.wpd"))},
        {source, source},                                    // onto itself
        {source, link},                                      // onto itself through a link
        {source, path(QStringLiteral("no/such/folder.wpd"))},
        {source, readOnly},
        {source, folder},
        {folder, path(QStringLiteral("y.wpd"))},
        {source, QString()},
    };
    for (const auto& [from, to] : cases) {
        mDialogs.messages.clear();
        mFs.CopyFile(from, to);
        EXPECT_EQ(mDialogs.messageTexts(), QStringList{QStringLiteral("Error copying File")})
            << from.toStdString() << " -> " << to.toStdString();
    }
    EXPECT_EQ(read(source), QByteArray("source"));
    EXPECT_EQ(read(readOnly), QByteArray("read-only"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("x.wpd"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("y.wpd"))));
    // No half-written copies are left behind.
    EXPECT_EQ(QDir(mFolder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 4);
}

TEST_F(FileOperationsTest, MoveFileMovesTheContent)
{
    const QString source = write(QStringLiteral("a.wpd"), "content");
    const QString destination = path(QStringLiteral("b.wpd"));
    mFs.MoveFile(source, destination);
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(read(destination), QByteArray("content"));
    EXPECT_TRUE(mDialogs.messages.isEmpty());
}

TEST_F(FileOperationsTest, MoveFileKeepsTheSourceWhenTheCopyFails)
{
    const QString source = write(QStringLiteral("a.wpd"), "content");
    // Into a missing folder, and onto itself (a copy that "succeeds" onto
    // the source would be followed by deleting the only copy).
    for (const QString& destination : {path(QStringLiteral("no/such/b.wpd")), source}) {
        mDialogs.messages.clear();
        mFs.MoveFile(source, destination);
        EXPECT_EQ(mDialogs.messageTexts(), QStringList{QStringLiteral("Error moving File")}) << destination.toStdString();
        EXPECT_EQ(read(source), QByteArray("content"));
    }
}

// --- MakeDIR and RemoveDIR -------------------------------------------------

TEST_F(FileOperationsTest, MakeAndRemoveAFolder)
{
    const QString folder = path(QStringLiteral("new"));
    mFs.MakeDIR(folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    mFs.RemoveDIR(folder);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(mDialogs.messages.isEmpty());
}

TEST_F(FileOperationsTest, FolderFailuresShowTheirMessage)
{
    const QString full = path(QStringLiteral("full"));
    QDir().mkdir(full);
    write(QStringLiteral("full/inside.wpd"), "keep");
    const QString file = write(QStringLiteral("a.wpd"), "file");

    const struct {
        void (clsFileSystem::*operation)(const QString&) const;
        QString target;
        const char* message;
    } cases[] = {
        {&clsFileSystem::MakeDIR, full, "Error creating Directory"},
        {&clsFileSystem::MakeDIR, path(QStringLiteral("no/parent")), "Error creating Directory"},
        {&clsFileSystem::MakeDIR, QString(), "Error creating Directory"},
        {&clsFileSystem::RemoveDIR, full, "Error removing Directory"},
        {&clsFileSystem::RemoveDIR, path(QStringLiteral("missing")), "Error removing Directory"},
        {&clsFileSystem::RemoveDIR, file, "Error removing Directory"},
        {&clsFileSystem::RemoveDIR, QString(), "Error removing Directory"},
    };
    for (const auto& c : cases) {
        mDialogs.messages.clear();
        (mFs.*c.operation)(c.target);
        EXPECT_EQ(mDialogs.messageTexts(), QStringList{QString::fromUtf8(c.message)}) << c.target.toStdString();
    }
    EXPECT_EQ(read(path(QStringLiteral("full/inside.wpd"))), QByteArray("keep"));
    EXPECT_EQ(read(file), QByteArray("file"));
}

} // namespace
