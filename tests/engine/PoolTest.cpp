// SPDX-License-Identifier: MPL-2.0
// The pool of offices that works ahead: what it converts comes out as the
// direct conversion makes it, whatever happens to the documents or to the
// offices between the announcement and their turn.
#include "EngineTestSupport.h"

#include "engine/office/OfficeSession.h"
#include "engine/pictures/EmbeddedPictures.h"
#include "platform/files/FileNames.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <csignal>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

using namespace enginetest;
using platform::RuntimeError;
using platform::Value;

namespace {

// What the calls of one document's conversion showed.
struct Outcome {
    QString failure; // "<call>: <description>" of the failing call, else empty
    qint64 blank = 0;
    QByteArray copy;  // the temporary copy
    QString wordText; // what catdoc reads from the Word document
    QString notes;    // what the Word document leaves out or lacks

    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* out)
{
    *out << "{failure: \"" << o.failure.toStdString() << "\", blank: " << o.blank << ", copy: " << o.copy.size()
         << " bytes, word: \"" << o.wordText.simplified().toStdString() << "\", notes: \""
         << o.notes.toStdString() << "\"}";
}

class PoolTest : public EngineTest {
protected:
    static void SetUpTestSuite()
    {
        gServer = NewServer(2);
        StartEveryOffice(gServer);
    }
    static void TearDownTestSuite() { gServer.reset(); }

    void TearDown() override
    {
        pool().setTimeLimits(std::chrono::seconds(60), std::chrono::seconds(10));
        pool().setMemoryLimit(engine::WordPerfectServer::kDefaultMemoryLimit);
        announce({}); // nothing left from this test
        EXPECT_TRUE(pool().waitForWorkAhead());
        for (const QString& folder : pool().workAheadFolders())
            EXPECT_EQ(Entries(folder), QStringList()) << "private work left behind in " << folder.toStdString();
    }

    static engine::ServerDiagnostics pool() { return EngineOf(gServer); }

    static void announce(const QStringList& paths)
    {
        Call(gServer, QStringLiteral("AnnounceDocuments"), QList<Value>(paths.cbegin(), paths.cend()));
    }

    // The calls of a batch job on `source`, as far as they succeed.
    static Outcome convert(const QString& source, const QString& target, const QString& macro = MacroPath())
    {
        Outcome outcome;
        QString step;
        const auto call = [&](const QString& member, const QList<Value>& args = {}) {
            step = member;
            return Call(gServer, member, args);
        };
        try {
            call(QStringLiteral("FileOpen"), {source});
            outcome.blank = call(QStringLiteral("envDocBlank")).toInteger();
            if (outcome.blank == 0) {
                call(QStringLiteral("PosDocVeryTop"));
                call(QStringLiteral("MacroFilePlay"), {macro});
                call(QStringLiteral("envMacroPlaying"));
            }
            const QString copy = target + QStringLiteral(".TMP");
            call(QStringLiteral("FileSave"), {copy});
            outcome.copy = ReadFile(copy);
            ::unlink(platform::EncodeFileName(copy).constData());
            call(QStringLiteral("FileSave"), {target, Value(69)});
            outcome.wordText = WordText(target);
            outcome.notes = call(QStringLiteral("envConversionNotes")).toText();
            call(QStringLiteral("CloseNoSave"));
        } catch (const RuntimeError& e) {
            outcome.failure = step + QStringLiteral(": ") + e.description();
            CloseQuietly(gServer);
        }
        return outcome;
    }

    // Converts `sources` in order into `folder` (made here).
    QList<Outcome> convertAll(const QStringList& sources, const QString& folder, const QString& macro = MacroPath())
    {
        QDir().mkpath(folder);
        QList<Outcome> outcomes;
        for (const QString& source : sources)
            outcomes << convert(source, folder + '/' + QFileInfo(source).completeBaseName() + ".doc", macro);
        return outcomes;
    }

    // `count` copies of the three samples, round-robin, named d00.wpd...
    QStringList copies(int count, const QString& folder)
    {
        QDir().mkpath(folder);
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            const QString target = folder + QStringLiteral("/d%1.wpd").arg(i, 2, 10, QLatin1Char('0'));
            QFile::remove(target);
            QFile::copy(DataPath(QString::fromLatin1(Samples().at(i % 3).file)), target);
            paths << target;
        }
        return paths;
    }

    static inline std::shared_ptr<platform::LateBound> gServer;
};

TEST_F(PoolTest, WhatItConvertsAheadEqualsTheDirectConversion)
{
    // Real samples, page-number fields (one with a comment too, one on the
    // 60th page), pictures one of which cannot be read, a blank document,
    // documents the office refuses or that fail before it sees them, all in
    // one batch.
    const QList<std::pair<const char*, const char*>> documents{
        {"wp6.wpd", "sample-wp6.wpd"},         {"wp50.wpd", "sample-wp50.wpd"},
        {"wp51.wpd", "sample-wp51.wpd"},       {"pages.wpd", "page-number.odt"},
        {"blank.wpd", "blank.odt"},            {"sheet.wpd", "sheet.fods"},
        {"password.wpd", "password-wp6.wpd"},  {"delay.wpd", "delay-code-wp6.wpd"},
        {"text.wpd", "text.odt"},              {"wp6-again.wpd", "sample-wp6.wpd"},
        {"comment.wpd", "page-number-comment.odt"}, {"damaged.wpd", "picture-damaged-wp6.wpd"},
        {"long.wpd", "page-number-long.odt"},
        {"caf\xE9.wpd", "sample-wp6.wpd"}, // a Latin-1 name, not valid UTF-8
    };
    QStringList sources;
    for (const auto& [name, data] : documents) {
        sources << path(platform::DecodeFileName(name));
        WriteFile(sources.last(), ReadFile(DataPath(QString::fromLatin1(data))));
    }
    const qsizetype latin1 = documents.size() - 1;
    // Damaged: the WordPerfect 5.1 sample cut short.
    sources << path(QStringLiteral("cut.wpd"));
    WriteFile(sources.last(), ReadFile(DataPath(QStringLiteral("sample-wp51.wpd"))).left(6000));
    // A picture, which the office refuses to open as a text document.
    sources << path(QStringLiteral("picture.wpd"));
    QImage picture(32, 16, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(sources.last(), "PNG"));

    const QList<Outcome> direct = convertAll(sources, path(QStringLiteral("direct")));
    const int servedBefore = pool().documentsServedAhead();
    announce(sources);
    const QList<Outcome> ahead = convertAll(sources, path(QStringLiteral("ahead")));

    ASSERT_EQ(ahead.size(), direct.size());
    for (int i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(sources[i].toStdString());
        EXPECT_EQ(ahead[i], direct[i]);
    }
    // Every document but the password-protected one (refused before any
    // office sees it) came from the work ahead.
    EXPECT_EQ(pool().documentsServedAhead() - servedBefore, sources.size() - 1);
    EXPECT_TRUE(ahead[3].wordText.simplified().contains(QStringLiteral("This is page PAGE 2 of NUMPAGES 2")));
    EXPECT_TRUE(ahead.last().failure.startsWith(QStringLiteral("FileOpen: Cannot open"))) << ahead.last().failure.toStdString();
    EXPECT_TRUE(ahead[6].failure.contains(QStringLiteral("password-protected")));
    EXPECT_EQ(ahead[11].notes, QStringLiteral("1 picture could not be read and was left out"));
    EXPECT_TRUE(ahead[12].copy.contains("This is page 60 of 60")) << ahead[12].copy.right(30).constData();
    // Blank (True, -1) only where the document has no text.
    EXPECT_EQ(QList<qint64>({direct[2].blank, direct[4].blank, direct[8].blank}), QList<qint64>({0, -1, 0}));
    // The Latin-1 name converts, into a Word file named by its own bytes.
    EXPECT_EQ(direct[latin1].wordText, direct[0].wordText);
    EXPECT_FALSE(direct[latin1].wordText.isEmpty());
    for (const char* folder : {"direct", "ahead"}) {
        const QByteArray word = platform::EncodeFileName(path(QString::fromLatin1(folder))) + "/caf\xE9.doc";
        EXPECT_EQ(::access(word.constData(), F_OK), 0) << folder;
        ::unlink(word.constData()); // names that are not UTF-8 are not removed with the folder
    }
    ::unlink(platform::EncodeFileName(sources[latin1]).constData());
}

TEST_F(PoolTest, DocumentsChangedDeletedOrReplacedByAFifoConvertOrFailAsWithoutThePool)
{
    // Twelve documents; the pool works eight ahead (four per office) before
    // the batch starts, so the changes meet documents it has converted
    // (d01..d05) and documents it has not reached yet (d09..d11).
    const QString folder = path(QStringLiteral("source"));
    const QString other = DataPath(QStringLiteral("sample-wp50.wpd"));
    const auto change = [&](const QStringList& d) {
        WriteFile(d[1], ReadFile(other));   // new content
        WriteFile(d[2], ReadFile(d[2]));    // the same bytes written again
        QFile::remove(d[3]);
        QFile::remove(d[4]);
        ASSERT_EQ(::mkfifo(QFile::encodeName(d[4]).constData(), 0600), 0);
        const QString replacement = d[5] + QStringLiteral(".new"); // another file under the old name
        QFile::copy(DataPath(QStringLiteral("sample-wp51.wpd")), replacement);
        ASSERT_EQ(::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(d[5]).constData()), 0);
        QFile::remove(d[9]);
        ASSERT_EQ(::mkfifo(QFile::encodeName(d[9]).constData(), 0600), 0);
        QFile::remove(d[10]);
        WriteFile(d[11], ReadFile(other));
    };
    const auto reset = [&] {
        QDir(folder).removeRecursively();
        return copies(12, folder);
    };

    QStringList documents = reset();
    change(documents);
    const QList<Outcome> direct = convertAll(documents, path(QStringLiteral("direct")));

    documents = reset();
    const int servedBefore = pool().documentsServedAhead();
    announce(documents);
    ASSERT_TRUE(pool().waitForWorkAhead());
    change(documents);
    const QList<Outcome> ahead = convertAll(documents, path(QStringLiteral("ahead")));

    for (int i = 0; i < documents.size(); ++i) {
        SCOPED_TRACE(documents[i].toStdString());
        EXPECT_EQ(ahead[i], direct[i]);
    }
    EXPECT_TRUE(ahead[4].failure.contains(QStringLiteral("not a regular file"))) << ahead[4].failure.toStdString();
    EXPECT_TRUE(ahead[9].failure.contains(QStringLiteral("not a regular file")));
    EXPECT_TRUE(ahead[10].failure.startsWith(QStringLiteral("FileOpen: Cannot open")));
    // Served from the work ahead: the unchanged d00, d06..d08, and d11,
    // changed before the pool reached it.
    EXPECT_EQ(pool().documentsServedAhead() - servedBefore, 5);
}

TEST_F(PoolTest, AMacroWithCommandsIsPlayedOnTheDocumentAsTheDirectConversionPlaysIt)
{
    const QString macro = path(QStringLiteral("replace.wcm"));
    WriteFile(macro, "TALLOWIN MACRO 1\nREPLACE \"FURTHER\" \"MORE\"\nREPLACE \"family\" \"friends\"\n");
    const QStringList documents = copies(4, path(QStringLiteral("source")));
    const QList<Outcome> direct = convertAll(documents, path(QStringLiteral("direct")), macro);
    announce(documents);
    const QList<Outcome> ahead = convertAll(documents, path(QStringLiteral("ahead")), macro);
    EXPECT_EQ(ahead, direct);
    EXPECT_TRUE(ahead[0].wordText.contains(QStringLiteral("AND MORE"))) << ahead[0].wordText.toStdString();
    EXPECT_TRUE(ahead[1].wordText.contains(QStringLiteral("Surrounded by her friends")));
}

TEST_F(PoolTest, AnOfficeKilledHungOrOverItsMemoryLimitMidBatchFailsAtMostTheDocumentItHeld)
{
    struct Case {
        const char* what;
        int office; // -1: every office, before the announcement
        std::function<void(pid_t)> act;
        bool shortLimit = false; // calls end after 1.5 s
    };
    const QList<Case> cases{
        {"office 1 killed", 1, [](pid_t pid) { ::kill(pid, SIGKILL); }},
        {"office 0 killed", 0, [](pid_t pid) { ::kill(pid, SIGKILL); }},
        {"office 1 hung", 1, [](pid_t pid) { ::kill(pid, SIGSTOP); }, true},
        {"every office over its memory limit", -1, [](pid_t) { pool().setMemoryLimit(1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString run = path(QString::fromLatin1(c.what).replace(QLatin1Char(' '), QLatin1Char('-')));
        const QStringList documents = copies(c.office < 0 ? 2 : 6, run + QStringLiteral("/source"));
        const QList<pid_t> before = pool().officePids();
        ASSERT_EQ(before.size(), 2);
        if (c.office < 0) {
            c.act(0);
            announce(documents);
            ASSERT_TRUE(pool().waitForWorkAhead());
            pool().setMemoryLimit(engine::WordPerfectServer::kDefaultMemoryLimit);
        } else {
            // Set before the announcement: setting the limits waits for each
            // office's thread, which meanwhile converts what it was given.
            if (c.shortLimit)
                pool().setTimeLimits(std::chrono::milliseconds(1500), std::chrono::milliseconds(0));
            announce(documents);
            // Both offices are at work on the first documents now.
            c.act(before[c.office]);
        }
        const QList<Outcome> outcomes = convertAll(documents, run + QStringLiteral("/target"));
        int failed = 0;
        for (int i = 0; i < outcomes.size(); ++i) {
            SCOPED_TRACE(documents[i].toStdString());
            if (!outcomes[i].failure.isEmpty()) {
                ++failed;
                continue;
            }
            bool found = false;
            for (const QString& known : Samples().at(i % 3).texts)
                found = found || outcomes[i].wordText.contains(known);
            EXPECT_TRUE(found);
        }
        EXPECT_LE(failed, 1);
        // Nothing half-written next to the Word documents.
        EXPECT_EQ(Entries(run + QStringLiteral("/target")).size(), outcomes.size() - failed);
        // The office was replaced (over the limit, each before its first document).
        const QList<pid_t> after = pool().officePids();
        for (int i = 0; i < before.size(); ++i) {
            if (c.office < 0 || c.office == i) {
                EXPECT_NE(after[i], before[i]) << "office " << i;
                EXPECT_FALSE(ProcessAlive(before[i])) << "office " << i;
            }
        }
        pool().setTimeLimits(std::chrono::seconds(60), std::chrono::seconds(10));
    }
}

// Ahead too, an office that dies while the pictures go in converts the
// document the plain way: the calls are answered from that work, with the
// pictures said to be left out.
TEST_F(PoolTest, AheadTooADocumentTheOfficeDiesOnConvertsThePlainWay)
{
    const QString source = copySample(QStringLiteral("pictures-wp6.wpd"), QStringLiteral("pictures.wpd"));
    engine::EmbeddedPictures::SetBeforeInserting([](engine::OfficeSession& office) { office.killFromAnyThread(); });
    const int servedBefore = pool().documentsServedAhead();
    announce({source});
    EXPECT_TRUE(pool().waitForWorkAhead());
    engine::EmbeddedPictures::SetBeforeInserting(nullptr);
    const Outcome outcome = convert(source, path(QStringLiteral("pictures.doc")));
    EXPECT_EQ(outcome.failure, QString());
    EXPECT_EQ(outcome.notes, QStringLiteral("2 pictures could not be placed and were left out"));
    EXPECT_EQ(pool().documentsServedAhead(), servedBefore + 1);
}

} // namespace
