// SPDX-License-Identifier: MPL-2.0
// Batch and single-document modes end to end against the scripted server:
// the road of a document from a mode through the chain, the queue, the
// parse object and the decorator into its job.
#include "core/DocumentList.h"
#include "core/Mediator.h"
#include "modes/State1.h"
#include "modes/State2.h"
#include "modes/StateManager.h"
#include "pipeline/Stack.h"
#include "support/AppHarness.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using testsupport::AppHarness;
using testsupport::FilesIn;
using testsupport::ReadFile;

TEST(BatchMode, ConvertsAcceptedFilesInListingOrderAndSkipsOthers)
{
    AppHarness app;
    const auto f = app.folders({"b.txt", "c.WPD", "a.wpd", ".hidden.wpd"});
    QDir().mkpath(f.doc("sub.wpd")); // a folder is not a document

    app.startBatch(f);

    EXPECT_EQ(app.server().pathsOf("FileOpen"), (QStringList{f.doc("a.wpd"), f.doc("c.WPD")}));
    // Descending order in the list; both converted.
    EXPECT_EQ(app.rows(), f.rows({"c.WPD|Converted", "a.wpd|Converted"}));
    EXPECT_EQ(FilesIn(f.target), (QStringList{"a.doc", "c.doc"}));
    // Every document was closed and no temporary copy is left.
    EXPECT_FALSE(app.server().documentOpen());
    EXPECT_TRUE(app.server().tempCopiesLeft().isEmpty());
}

TEST(BatchMode, EmptyOrMissingSourceFolderConvertsNothing)
{
    for (const QString& source : {QString(), QStringLiteral("/no/such/folder/anywhere"), QStringLiteral("EMPTY")}) {
        AppHarness app;
        const auto f = app.folders({});
        app.mediator().Documents().Add("old", "old");

        app.startBatch(source == "EMPTY" ? f.source : source, f.target);

        EXPECT_TRUE(app.rows().isEmpty()) << qPrintable(source);
        EXPECT_TRUE(app.server().calls.isEmpty());
    }
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
        const auto f = app.folders(c.names);
        const QString base = c.names[0].left(c.names[0].indexOf('.'));
        const QString target = testsupport::WriteFile(f.target + "/" + base + ".doc", "from an earlier run");

        app.startBatch(f);

        const QString first = f.doc(c.names[0]), later = f.doc(c.names[1]);
        EXPECT_EQ(app.server().pathsOf("FileOpen"), QStringList{first});
        EXPECT_TRUE(ReadFile(target).contains(first.toUtf8()));
        EXPECT_EQ(app.mediator().Documents().Find(first)->SubItems.value(0), "Converted");
        EXPECT_EQ(app.mediator().Documents().Find(later)->SubItems.value(0), "Failed");
        EXPECT_EQ(app.reasonOf(later), QStringLiteral("The target %1 was already written by %2 in this run; "
                                                      "nothing was written")
                                           .arg(target, first));
        EXPECT_EQ(FilesIn(f.target), QStringList{base + ".doc"});

        // The next run, from an empty queue, replaces what the last one wrote.
        app.startBatch(f);
        EXPECT_EQ(app.server().pathsOf("FileOpen"), (QStringList{first, first}));
    }
}

TEST(BatchAndSingleMode, ATargetThatIsTheSourceIsRefusedAndTheSourceKept)
{
    for (const bool batch : {true, false}) {
        AppHarness app;
        app.mediator().Extensions().AddItem("doc");
        const QString doc = testsupport::WriteFile(app.path("x.doc"), "original");
        app.dialogs().fileAnswers = {doc, doc};

        if (batch)
            app.startBatch(app.tempDir(), app.tempDir());
        else
            app.mediator().SingleSourceFile();

        EXPECT_EQ(app.rows(), QStringList{doc + "|Failed"}) << batch;
        EXPECT_EQ(ReadFile(doc), "original");
    }
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
        const QString doc = testsupport::WriteFile(app.path("in dir #1 é/") + c.name);
        const QString out = app.tempDir() + "/out.doc";
        app.dialogs().fileAnswers = {doc, out};

        app.mediator().SingleSourceFile();

        ASSERT_EQ(app.mediator().userInterface(), nullptr); // the logic alone shows nothing
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
    m.Command1(testsupport::WriteFile(app.path("a.txt")));
    EXPECT_NE(static_cast<State1*>(sm.stateOne())->pending(), nullptr);
    EXPECT_EQ(static_cast<State2*>(sm.stateTwo())->pending(), nullptr);

    // "Close" empties the list and keeps the mode.
    m.StartStateThree();
    EXPECT_EQ(sm.current(), sm.stateOne());
}

TEST(BatchMode, AwkwardNamesAreConvertedUnderTheirOwnNames)
{
    AppHarness app;
    const QString longName = QString(200, QChar('n')) + ".wpd"; // near the file-name limit once ".doc" is added
    const QStringList names{"a b.wpd", "100%.wpd", "#hash.wpd", "quote's \"x\".wpd", "ñandú.wpd", longName};
    const testsupport::BatchFolders f(app.tempDir(), names, "sou rce #1 %20 ü", "tar'get \"q\" é");

    app.startBatch(f);

    QStringList expected = QStringList(names).replaceInStrings(".wpd", ".doc"), written = FilesIn(f.target);
    expected.sort();
    written.sort();
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
        const auto f = app.folders({"c.wpd", "a.wpd", "skip.txt", "b.wpd"});
        if (offer > 0) {
            app.server().offer("BeginRun", offer == 2);
            app.server().offer("AnnounceDocuments", offer == 2);
        }

        app.startBatch(f);

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
        EXPECT_EQ(FilesIn(f.target), (QStringList{"a.doc", "b.doc", "c.doc"}));
    }
}
