// SPDX-License-Identifier: MPL-2.0
// File names that are not valid UTF-8 keep their bytes through the program.
#include "platform/files/FileNames.h"
#include "platform/files/FileListBox.h"
#include "platform/files/RunFolder.h"
#include "support/QStringPrinter.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace platform;

TEST(FileNames, EveryNameTurnsBackIntoItsOwnBytes)
{
    const QByteArray names[] = {
        "report.wpd",
        "caf\xC3\xA9.wpd",         // UTF-8
        "caf\xE9.wpd",             // Latin-1
        "\x93\xFA\x96\x7B.wpd",    // Shift-JIS
        "\xC0\xAF.wpd",            // an overlong "/"
        "\xED\xA0\x80.wpd",        // a UTF-8 surrogate
        "\xF0\x9F\x93\x84.wpd",    // outside the basic plane
        "cut\xE2\x82",             // a sequence cut short
        "\xFF\xFE",
    };
    for (const QByteArray& bytes : names) {
        const QString text = DecodeFileName(bytes);
        EXPECT_EQ(EncodeFileName(text), bytes) << bytes.toHex().constData();
        EXPECT_EQ(HasUndecodableBytes(text), QString::fromUtf8(bytes).toUtf8() != bytes) << bytes.toHex().constData();
    }
    // Valid names read as the text they are.
    EXPECT_EQ(DecodeFileName("caf\xC3\xA9.wpd"), QString::fromUtf8("caf\xC3\xA9.wpd"));
    EXPECT_EQ(DecodeFileName("\xF0\x9F\x93\x84"), QString::fromUtf8("\xF0\x9F\x93\x84"));
}

TEST(FileNames, StandInsKeepTheNameOrTheExtensionWhereTheyAreText)
{
    const struct {
        QByteArray name;
        const char* standIn;
    } cases[] = {
        {"caf\xC3\xA9.wpd", "caf\xC3\xA9.wpd"},
        {"caf\xE9.wpd", "source.wpd"},
        {"report.w\xE9", "source"},
        {"caf\xE9", "source"},
        {".\xE9", "source"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextFileName(DecodeFileName(c.name), "source"), QString::fromUtf8(c.standIn))
            << c.name.toHex().constData();
}

TEST(FileNames, TheFileListNamesFilesWhoseNamesAreNotUtf8)
{
    QTemporaryDir dir;
    const QByteArray latin1 = QFile::encodeName(dir.path()) + "/caf\xE9.wpd";
    testsupport::WriteFile(DecodeFileName(latin1));
    // Qt's removal of the folder cannot name this file.
    const auto removeFile = qScopeGuard([&latin1] { ::unlink(latin1.constData()); });

    FileListBox list;
    list.setPath(dir.path());
    ASSERT_EQ(list.listCount(), 1);
    list.setListIndex(0);
    const QString path = dir.path() + "/" + list.fileName();
    EXPECT_EQ(EncodeFileName(path), latin1);
    EXPECT_EQ(::access(EncodeFileName(path).constData(), F_OK), 0);
}

TEST(FileNames, TheJournalOfWordSavesKeepsNamesAsBytes)
{
    // A Word file being written into a folder whose name is not UTF-8: the
    // run notes it by its bytes, and the next start removes it by them
    // after a kill.
    QTemporaryDir dir;
    const QByteArray folder = EncodeFileName(dir.path()) + "/caf\xE9";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray pending = folder + "/" + EncodeFileName(RunFolder::PendingPrefix()) + "c0ffee.tmp";
    testsupport::WriteFile(DecodeFileName(pending));

    RunFolder& run = RunFolder::Instance();
    run.notePending(DecodeFileName(pending));
    const QString journal = run.path() + QStringLiteral("/pending");
    const QStringList notes = testsupport::FilesIn(journal);
    ASSERT_EQ(notes.size(), 1);
    const QByteArray noted = testsupport::ReadFile(journal + QLatin1Char('/') + notes.first());
    EXPECT_EQ(noted.mid(4), pending); // after its length
    run.clearPending(DecodeFileName(pending));

    // A killed run's journal (no lock file: its removal was cut short).
    const QString parent = dir.filePath(QStringLiteral("parent"));
    const QString dead = parent + QStringLiteral("/run-1-") + QString(32, QLatin1Char('0'));
    testsupport::WriteFile(dead + QStringLiteral("/pending/note"), noted);
    ASSERT_TRUE(QFile(dead).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    RunFolder::CleanStaleRuns(parent);
    EXPECT_NE(::access(pending.constData(), F_OK), 0);
    EXPECT_FALSE(QFileInfo::exists(dead));
    ::unlink(pending.constData());
    ::rmdir(folder.constData());
}
