// Batch and single-document modes end to end against the scripted server:
// the road of a document from a mode through the chain, the queue, the
// parse object and the decorator into its job.
#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "modes/State1.h"
#include "modes/State2.h"
#include "modes/StateManager.h"
#include "pipeline/Stack.h"
#include "pipeline/cmd1.h"
#include "support/AppHarness.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using testsupport::AppHarness;

namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// Temporary copies the server was asked to save that still exist.
QStringList leftoverTempCopies(testsupport::ScriptedServer& server)
{
    QStringList left;
    for (const QString& path : server.pathsOf("FileSave")) {
        if (path.endsWith(".TMP") && QFile::exists(path))
            left << path;
    }
    return left;
}

} // namespace

TEST(BatchMode, ConvertsAcceptedFilesInListingOrderAndSkipsOthers)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
    for (const char* name : {"b.txt", "c.WPD", "a.wpd", ".hidden.wpd"})
        AppHarness::makeFile(src, name);
    QDir().mkpath(src + "/sub.wpd"); // a folder is not a document
    QDir().mkpath(tgt);

    app.startBatch(src, tgt);

    EXPECT_EQ(app.server().pathsOf("FileOpen"), (QStringList{src + "/a.wpd", src + "/c.WPD"}));
    // Descending order in the list; both converted.
    EXPECT_EQ(app.rows(), (QStringList{src + "/c.WPD|Converted", src + "/a.wpd|Converted"}));
    EXPECT_EQ(filesIn(tgt), (QStringList{"a.doc", "c.doc"}));
    // Every document was closed and no temporary copy is left.
    EXPECT_FALSE(app.server().documentOpen());
    EXPECT_TRUE(leftoverTempCopies(app.server()).isEmpty());
}

TEST(BatchMode, FailingDocumentIsMarkedClosedCleanedAndTheBatchGoesOn)
{
    // Whatever step of the job fails before its Word file is written, the
    // document ends "Failed", nothing is written for it, and the documents
    // after it are still converted. A close that fails once the Word file is
    // written leaves a converted document.
    const struct {
        const char* member;
        const char* status;
    } cases[] = {{"FileOpen", "Failed"}, {"FileSave", "Failed"}, {"CloseNoSave", "Converted"}};
    for (const auto& [member, status] : cases) {
        SCOPED_TRACE(member);
        AppHarness app;
        const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
        for (const char* name : {"a.wpd", "b.wpd", "c.wpd"})
            AppHarness::makeFile(src, name);
        QDir().mkpath(tgt);
        app.server().failOn(member, src + "/b.wpd");

        app.startBatch(src, tgt);

        EXPECT_EQ(app.rows(), (QStringList{src + "/c.wpd|Converted", src + "/b.wpd|" + status,
                                           src + "/a.wpd|Converted"}));
        EXPECT_FALSE(app.server().documentOpen());
        EXPECT_EQ(QFile::exists(tgt + "/b.doc"), QString(status) == "Converted");
        EXPECT_TRUE(QFile::exists(tgt + "/c.doc"));
        EXPECT_TRUE(leftoverTempCopies(app.server()).isEmpty());
        EXPECT_FALSE(app.mediator().IsRunning());
    }
}

TEST(BatchMode, EmptyOrMissingSourceFolderConvertsNothing)
{
    for (const QString& source : {QString(), QStringLiteral("/no/such/folder/anywhere"), QStringLiteral("EMPTY")}) {
        AppHarness app;
        const QString src = source == "EMPTY" ? app.tempDir() + "/empty" : source;
        QDir().mkpath(app.tempDir() + "/empty");
        app.mediator().Documents().Add("old", "old");

        app.startBatch(src, app.tempDir());

        EXPECT_TRUE(app.rows().isEmpty()) << qPrintable(source);
        EXPECT_TRUE(app.server().calls.isEmpty());
    }
}

TEST(BatchMode, WithoutTargetFolderRefusesToStartAndWritesNothing)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src";
    AppHarness::makeFile(src, "a.wpd");

    app.startBatch(src, QString());

    ASSERT_EQ(app.dialogs().messages.size(), 1);
    EXPECT_EQ(app.dialogs().messages[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_TRUE(app.server().calls.isEmpty());
    EXPECT_EQ(filesIn(src), QStringList{"a.wpd"});
}

TEST(BatchMode, ARunNeverReplacesATargetItWroteItself)
{
    // Two sources with one base name (two extensions, or two letter cases of
    // one): the first keeps its Word file, the later one fails and says
    // which document wrote that target; a target left by an earlier run is
    // replaced as before.
    struct Case {
        QStringList names; // in listing order
        const char* extraExtension;
    };
    const Case cases[] = {
        {{"x.wp5", "x.wpd"}, "wp5"},
        {{"dup.WPD", "dup.wpd"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.names.join(", ")));
        AppHarness app;
        if (c.extraExtension)
            app.mediator().Extensions().AddItem(c.extraExtension);
        const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
        for (const QString& name : c.names)
            AppHarness::makeFile(src, name);
        const QString base = c.names[0].left(c.names[0].indexOf('.'));
        const QString target = tgt + "/" + base + ".doc";
        AppHarness::makeFile(tgt, base + ".doc", "from an earlier run");

        app.startBatch(src, tgt);

        const QString first = src + "/" + c.names[0], later = src + "/" + c.names[1];
        EXPECT_EQ(app.server().pathsOf("FileOpen"), QStringList{first});
        QFile out(target);
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        EXPECT_TRUE(out.readAll().contains(first.toUtf8()));
        EXPECT_EQ(app.mediator().Documents().Find(first)->SubItems.value(0), "Converted");
        EXPECT_EQ(app.mediator().Documents().Find(later)->SubItems.value(0), "Failed");
        EXPECT_EQ(app.reasonOf(later), QStringLiteral("The target %1 was already written by %2 in this run; "
                                                      "nothing was written")
                                           .arg(target, first));
        EXPECT_EQ(filesIn(tgt), QStringList{base + ".doc"});

        // The next run replaces what the last one wrote.
        app.startBatch(src, tgt);
        EXPECT_EQ(app.server().pathsOf("FileOpen"), (QStringList{first, first}));
    }
}

TEST(BatchMode, ProgressCountsTheDocumentsDoneAndFailed)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
    for (const char* name : {"a.wpd", "b.wpd", "c.wpd", "d.txt"})
        AppHarness::makeFile(src, name);
    QDir().mkpath(tgt);
    app.server().failOn("FileOpen", src + "/b.wpd");
    QStringList seen;
    app.server().duringCall = [&] {
        seen << app.mediator().Progress().Text(app.mediator().Documents());
    };
    EXPECT_TRUE(app.mediator().Progress().Text(app.mediator().Documents()).isEmpty());

    app.startBatch(src, tgt);

    // What the status bar said while each FileOpen was under way.
    QStringList atOpen;
    for (int i = 0; i < app.server().calls.size(); ++i)
        if (app.server().calls[i].member == "FileOpen")
            atOpen << seen[i];
    EXPECT_EQ(atOpen, (QStringList{"0 of 3 done", "1 of 3 done", "2 of 3 done, 1 failed"}));
    EXPECT_EQ(app.mediator().Progress().Text(app.mediator().Documents()), "Batch done: 2 converted, 1 failed");
    EXPECT_EQ(app.reasonOf(src + "/b.wpd"), "FileOpen failed (scripted)");
    EXPECT_TRUE(app.reasonOf(src + "/a.wpd").isEmpty());

    // "Close" empties the list, and the progress of its batch goes with it.
    app.mediator().StartStateThree();
    EXPECT_TRUE(app.mediator().Progress().Text(app.mediator().Documents()).isEmpty());
}

TEST(BatchMode, TargetThatIsTheSourceIsRefusedAndTheSourceKept)
{
    AppHarness app;
    app.mediator().Extensions().AddItem("doc");
    const QString src = app.tempDir() + "/src";
    const QString doc = AppHarness::makeFile(src, "x.doc", "original");

    app.startBatch(src, src);

    EXPECT_EQ(app.rows(), QStringList{doc + "|Failed"});
    QFile f(doc);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("original"));
}

TEST(BatchMode, StartAgainAfterABatchStartsFromAnEmptyQueue)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
    AppHarness::makeFile(src, "a.wpd");
    QDir().mkpath(tgt);
    app.startBatch(src, tgt);
    app.startBatch(src, tgt);
    EXPECT_EQ(app.server().pathsOf("FileOpen").size(), 2);
    EXPECT_EQ(app.rows(), QStringList{src + "/a.wpd|Converted"});
}

TEST(SingleMode, ConvertsTheChosenDocumentIntoTheNameChosenInSaveAs)
{
    struct Case {
        const char* name;
        const char* extensionEntry; // extra entry in the extension list
        bool converted;
    } cases[] = {
        {"report.wpd", nullptr, true},
        {"REPORT.WPD", nullptr, true},
        {"notes.txt", nullptr, false},
        {"README", "UNKNOWN", true}, // no usable extension: judged as "unknown"
        {"README", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppHarness app;
        if (c.extensionEntry)
            app.mediator().Extensions().AddItem(c.extensionEntry);
        const QString doc = AppHarness::makeFile(app.tempDir() + "/in dir #1 é", c.name);
        const QString out = app.tempDir() + "/out.doc";
        app.dialogs().fileAnswers = {doc, out};

        app.mediator().SingleSourceFile();

        EXPECT_EQ(app.mediator().GetSourceFile(), doc);
        EXPECT_EQ(app.mediator().GetTgtFolder(), app.tempDir() + "/in dir #1 é/");
        if (c.converted) {
            EXPECT_EQ(app.rows(), QStringList{doc + "|Converted"});
            EXPECT_TRUE(QFile::exists(out));
            ASSERT_EQ(app.dialogs().fileRequests.size(), 2);
            EXPECT_EQ(app.dialogs().fileRequests[1].kind, platform::FileDialogRequest::Kind::SaveAs);
            EXPECT_FALSE(app.dialogs().fileRequests[1].mustExist);
        } else {
            EXPECT_TRUE(app.rows().isEmpty());
            EXPECT_TRUE(app.server().calls.isEmpty());
        }
    }
}

TEST(SingleMode, CancelledOpenLeavesSingleModeCurrentAndTheRecordUnchanged)
{
    AppHarness app;
    app.mediator().SetTgtFolder("/earlier");
    app.mediator().SingleSourceFile();
    ASSERT_EQ(app.dialogs().fileRequests.size(), 1);
    const auto& r = app.dialogs().fileRequests[0];
    EXPECT_EQ(r.filters, QStringList{"All WordPerfect documents (*.wpd)"});
    EXPECT_TRUE(r.mustExist);
    EXPECT_EQ(app.mediator().stateManager()->current(), app.mediator().stateManager()->stateOne());
    EXPECT_EQ(app.mediator().GetTgtFolder(), "/earlier");
    EXPECT_TRUE(app.mediator().GetSourceFile().isEmpty());
}

TEST(SingleMode, SaveAsCancelledMarksFailedClosesTheDocumentAndIssuesNoCommand)
{
    AppHarness app;
    const QString doc = AppHarness::makeFile(app.tempDir(), "a.wpd");
    app.dialogs().fileAnswers = {doc, std::nullopt};

    app.mediator().SingleSourceFile();

    EXPECT_EQ(app.rows(), QStringList{doc + "|Failed"});
    EXPECT_FALSE(app.server().documentOpen());
    EXPECT_EQ(app.server().pathsOf("FileSave").size(), 0);
}

TEST(SingleMode, ChosenTargetThatIsTheSourceIsRefused)
{
    AppHarness app;
    const QString doc = AppHarness::makeFile(app.tempDir(), "a.wpd", "original");
    app.dialogs().fileAnswers = {doc, doc};

    app.mediator().SingleSourceFile();

    EXPECT_EQ(app.rows(), QStringList{doc + "|Failed"});
    QFile f(doc);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("original"));
}

TEST(StateMachine, CommandsReachTheCurrentStateOnly)
{
    AppHarness app;
    Mediator& m = app.mediator();
    StateManager& sm = *m.stateManager();
    EXPECT_EQ(sm.current(), sm.stateThree());

    // The start state's Command1 only empties the list.
    app.mediator().Documents().Add("k", "k");
    m.Command1("anything");
    EXPECT_TRUE(app.rows().isEmpty());
    m.Command2("x");
    m.Command3();
    EXPECT_TRUE(app.server().calls.isEmpty());

    // SetStateTwo then setStateOne: Command1 reaches State1.
    m.StartStateTwo();
    m.startStateOne();
    const QString doc = AppHarness::makeFile(app.tempDir(), "a.txt");
    m.Command1(doc);
    EXPECT_NE(static_cast<State1*>(sm.stateOne())->pending(), nullptr);
    EXPECT_EQ(static_cast<State2*>(sm.stateTwo())->pending(), nullptr);

    // "Close" empties the list and keeps the mode.
    m.StartStateThree();
    EXPECT_EQ(sm.current(), sm.stateOne());
}

TEST(BatchMode, AwkwardNamesAreConvertedUnderTheirOwnNames)
{
    AppHarness app;
    const QString src = app.tempDir() + "/sou rce #1 %20 ü", tgt = app.tempDir() + "/tar'get \"q\" é";
    const QString longName = QString(200, QChar('n')) + ".wpd"; // near the file-name limit once ".doc" is added
    const QStringList names{"a b.wpd", "100%.wpd", "#hash.wpd", "quote's \"x\".wpd", "ñandú.wpd", longName};
    for (const QString& n : names)
        AppHarness::makeFile(src, n);
    QDir().mkpath(tgt);

    app.startBatch(src, tgt);

    QStringList expected;
    for (const QString& n : names)
        expected << n.left(n.size() - 4) + ".doc";
    QStringList written = filesIn(tgt);
    std::sort(expected.begin(), expected.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, expected);
    for (const QString& row : app.rows())
        EXPECT_TRUE(row.endsWith("|Converted")) << qPrintable(row);
}

TEST(BatchMode, AServerThatAsksForItIsToldTheRunAndTheDocumentsAheadAndNothingElseChanges)
{
    // A server without the optional members (the scripted one by default) is
    // not told; one that has them hears that a run begins, then the
    // documents in the order they are converted, once, before the first of
    // them; one whose members fail changes nothing either.
    QStringList expectedCalls;
    for (int offer : {0, 1, 2}) {
        SCOPED_TRACE(offer);
        AppHarness app;
        const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
        for (const char* name : {"c.wpd", "a.wpd", "skip.txt", "b.wpd"})
            AppHarness::makeFile(src, name);
        QDir().mkpath(tgt);
        if (offer > 0) {
            app.server().offer("BeginRun", offer == 2);
            app.server().offerAnnouncements(offer == 2);
        }

        app.startBatch(src, tgt);

        QStringList calls = app.server().memberNames();
        if (offer == 0) {
            EXPECT_FALSE(calls.contains("AnnounceDocuments"));
            expectedCalls = calls;
            continue;
        }
        ASSERT_GE(calls.size(), 2);
        EXPECT_EQ(calls.takeFirst(), "BeginRun");
        EXPECT_EQ(calls.takeFirst(), "AnnounceDocuments");
        EXPECT_EQ(calls, expectedCalls);
        QStringList announced;
        for (const platform::Value& path : app.server().calls.at(1).args)
            announced << path.toText();
        EXPECT_EQ(announced, app.server().pathsOf("FileOpen"));
        EXPECT_EQ(announced.size(), 3);
        EXPECT_EQ(filesIn(tgt), (QStringList{"a.doc", "b.doc", "c.doc"}));
    }
}
