// SPDX-License-Identifier: MPL-2.0
// Where the Word document goes: awkward names, folders that refuse it, a
// target that exists already. Nothing half-written is ever left.
#include "EngineTestSupport.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace enginetest;
using platform::RuntimeError;
using platform::Value;

namespace {

class TargetTest : public EngineTest {
protected:
    void open(const QString& source) { Call(SharedServer(), QStringLiteral("FileOpen"), {source}); }
    void saveWord(const QString& target) { Call(SharedServer(), QStringLiteral("FileSave"), {target, Value(69)}); }
    void TearDown() override { CloseQuietly(SharedServer()); }
};

TEST_F(TargetTest, AwkwardNamesWorkForSourceAndTarget)
{
    for (const QString& name : {QStringLiteral("with spaces in it"), QStringLiteral("hash#and%percent%20"),
                                QStringLiteral("non-ASCII Grüße ✓ 文書"), QStringLiteral("semicolon;comma,quote'"),
                                QStringLiteral("question?star*")}) {
        SCOPED_TRACE(name.toStdString());
        const QString folder = path(name);
        ASSERT_TRUE(QDir().mkdir(folder));
        const QString target = folder + QLatin1Char('/') + name + QStringLiteral(".doc");
        ASSERT_TRUE(converts(copySample(QStringLiteral("sample-wp6.wpd"), name + QLatin1Char('/') + name + ".wpd"),
                             target));
        EXPECT_TRUE(WordText(target).contains(QStringLiteral("AND FURTHER")));
        EXPECT_EQ(Entries(folder), (QStringList{name + QStringLiteral(".doc"), name + QStringLiteral(".wpd")}));
    }
}

// Sets `path`'s modification time an hour back: a file an earlier run left.
void makeOld(const QString& path)
{
    timespec times[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

TEST_F(TargetTest, TheWordFileIsNoMoreReadableThanItsDocument)
{
    // As `cp` copies: the document's read and write bits, as far as the
    // umask allows; directly and from the work ahead.
    const QString source = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("a.wpd"));
    const QString target = path(QStringLiteral("a.doc"));
    const mode_t mask = ::umask(022);
    for (const mode_t mode : {0640, 0600, 0666, 0755}) {
        for (const bool announced : {false, true}) {
            SCOPED_TRACE(std::to_string(mode) + (announced ? " ahead" : ""));
            ASSERT_EQ(::chmod(QFile::encodeName(source).constData(), mode), 0);
            const int servedAhead = SharedEngine().documentsServedAhead();
            // A run of its own, begun a tick of the file system's clock after
            // the last one wrote a.doc: it replaces a.doc.
            QThread::msleep(20);
            Call(SharedServer(), QStringLiteral("BeginRun"));
            if (announced)
                Call(SharedServer(), QStringLiteral("AnnounceDocuments"), {source});
            ASSERT_TRUE(converts(source, target));
            EXPECT_EQ(SharedEngine().documentsServedAhead(), servedAhead + (announced ? 1 : 0));
            struct stat info {};
            ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, mode & 0644);
        }
    }
    ::umask(mask);
}

TEST_F(TargetTest, RefusedTargetsAndFormatsFailWithNothingWritten)
{
    const QString source = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("a.wpd"));
    const QString locked = path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(locked));
    ASSERT_TRUE(QFile(locked).setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    const QString folderTarget = path(QStringLiteral("folder.doc"));
    ASSERT_TRUE(QDir().mkdir(folderTarget));
    struct Case {
        QString target;
        int number;
        const char* reason;
    };
    QList<Case> cases{
        {path(QStringLiteral("missing/a.doc")), RuntimeError::PathNotFound, "does not exist"},
        {path(QStringLiteral("a.wpd/a.doc")), RuntimeError::PathNotFound, "does not exist"},
        {folderTarget, RuntimeError::AutomationError, "a folder has that name"},
    };
    // root may write anywhere: the read-only folder refuses only others, and
    // /proc refuses everybody (but only when the office tries to write).
    if (::geteuid() != 0)
        cases.append({locked + QStringLiteral("/a.doc"), RuntimeError::AutomationError, "not writable"});
    cases.append({QStringLiteral("/proc/tallowin-engine-test.doc"), RuntimeError::AutomationError, "Cannot save"});
    // The same failures for a document converted ahead by the pool.
    for (const bool announced : {false, true}) {
        const int servedAhead = SharedEngine().documentsServedAhead();
        if (announced)
            Call(SharedServer(), QStringLiteral("AnnounceDocuments"), {source});
        open(source);
        ASSERT_EQ(SharedEngine().documentsServedAhead(), servedAhead + (announced ? 1 : 0));
        for (const Case& c : cases) {
            for (const bool word : {true, false}) {
                SCOPED_TRACE(c.target.toStdString() + (word ? " (Word)" : " (copy)") + (announced ? " ahead" : ""));
                const auto e = FailureOf([&] {
                    Call(SharedServer(), QStringLiteral("FileSave"),
                         word ? QList<Value>{c.target, Value(69)} : QList<Value>{c.target});
                });
                EXPECT_TRUE(Says(e, c.target));
                if (word) {
                    EXPECT_TRUE(Says(e, QString::fromLatin1(c.reason)));
                }
            }
        }
    }
    // A copy into a FIFO nobody reads fails at once instead of waiting for a reader.
    const QString fifo = path(QStringLiteral("FIFO.TMP"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_THROW(Call(SharedServer(), QStringLiteral("FileSave"), {fifo}), RuntimeError);
    QFile::remove(fifo);
    // A format FileSave does not know, or none.
    for (const Value& format : {Value(0), Value(1), Value(68), Value(73), Value(QStringLiteral("Word"))}) {
        EXPECT_THROW(Call(SharedServer(), QStringLiteral("FileSave"), {path(QStringLiteral("x.doc")), format}),
                     RuntimeError);
    }
    EXPECT_THROW(Call(SharedServer(), QStringLiteral("FileSave")), RuntimeError);
    EXPECT_EQ(Entries(locked), QStringList());
    EXPECT_EQ(Entries(folderTarget), QStringList());
    EXPECT_EQ(Entries(mDir.path()),
              (QStringList{QStringLiteral("a.wpd"), QStringLiteral("folder.doc"), QStringLiteral("locked")}));
    // The document is still open and can be saved where it may go; the
    // format may come as text, as late-bound callers pass numbers.
    Call(SharedServer(), QStringLiteral("FileSave"), {path(QStringLiteral("fine.doc")), Value(QStringLiteral("69"))});
    EXPECT_TRUE(WordReadable(path(QStringLiteral("fine.doc"))));
    QFile(locked).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(TargetTest, AFileWrittenAfterTheRunBeganIsNeverReplacedAnOlderOneIsReplacedWhole)
{
    // Another process wrote the target meanwhile: the document fails and
    // the file stays; a file older than the run (longer than the Word file)
    // is replaced whole, directly and from the work ahead alike.
    const QString source = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("a.wpd"));
    const QString target = path(QStringLiteral("a.doc"));
    for (const bool announced : {false, true}) {
        SCOPED_TRACE(announced ? "ahead" : "direct");
        Call(SharedServer(), QStringLiteral("BeginRun"));
        const QByteArray theirs(200000, 'x');
        WriteFile(target, theirs);
        if (announced)
            Call(SharedServer(), QStringLiteral("AnnounceDocuments"), {source});
        open(source);
        const auto e = FailureOf([&] { saveWord(target); });
        EXPECT_EQ(e.number(), RuntimeError::FileAlreadyExists);
        EXPECT_EQ(e.description(), QStringLiteral("The target %1 was written by another run meanwhile; "
                                                  "nothing was written").arg(target));
        EXPECT_EQ(ReadFile(target), theirs);
        makeOld(target);
        saveWord(target);
        EXPECT_TRUE(WordReadable(target));
        EXPECT_TRUE(WordText(target).contains(QStringLiteral("AND FURTHER")));
        EXPECT_LT(QFileInfo(target).size(), 200000);
        EXPECT_EQ(Entries(mDir.path()), (QStringList{QStringLiteral("a.doc"), QStringLiteral("a.wpd")}));
        CloseQuietly(SharedServer());
        QFile::remove(target);
    }
}

TEST_F(TargetTest, TheOtherFormatsComeFromTheSameLoadDirectOrAhead)
{
    // Each format written directly, from work ahead in that format, and
    // from work ahead in another (Word 97).
    const QString source = copySample(QStringLiteral("pictures-wp6.wpd"), QStringLiteral("a.wpd"));
    const struct {
        int code;
        const char* extension;
        QByteArray start;
    } formats[] = {{70, "docx", "PK"}, {71, "odt", "PK"}, {72, "pdf", "%PDF-"}};
    for (const auto& format : formats) {
        for (int ahead : {0, format.code, 69}) {
            SCOPED_TRACE(std::to_string(format.code) + " ahead " + std::to_string(ahead));
            if (ahead == 69)
                Call(SharedServer(), QStringLiteral("AnnounceDocuments"), {source});
            else if (ahead)
                Call(SharedServer(), QStringLiteral("AnnounceDocuments"), {Value(ahead), source});
            const QString target = path(QStringLiteral("a%1.%2").arg(ahead).arg(QLatin1String(format.extension)));
            open(source);
            Call(SharedServer(), QStringLiteral("FileSave"), {target, Value(format.code)});
            CloseQuietly(SharedServer());
            EXPECT_TRUE(ReadFile(target).startsWith(format.start));
        }
    }
}

} // namespace
