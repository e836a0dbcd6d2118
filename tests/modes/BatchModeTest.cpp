// Batch and single-document modes end to end against the scripted server:
// the road of a document from a mode through the chain, the queue, the
// parse object and the decorator into its job.
#include "core/General.h"
#include "core/Mediator.h"
#include "modes/State1.h"
#include "modes/State2.h"
#include "modes/StateManager.h"
#include "pipeline/Stack.h"
#include "pipeline/cmd1.h"
#include "platform/ListView.h"
#include "support/AppHarness.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "ui/frmExtension.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
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
    // Whatever step of the job fails, the document ends "Failed", nothing is
    // written for it, and the documents after it are still converted.
    for (const char* member : {"FileOpen", "FileSave", "CloseNoSave"}) {
        SCOPED_TRACE(member);
        AppHarness app;
        const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
        for (const char* name : {"a.wpd", "b.wpd", "c.wpd"})
            AppHarness::makeFile(src, name);
        QDir().mkpath(tgt);
        app.server().failOn(member, src + "/b.wpd");

        app.startBatch(src, tgt);

        EXPECT_EQ(app.rows(), (QStringList{src + "/c.wpd|Converted", src + "/b.wpd|Failed",
                                           src + "/a.wpd|Converted"}));
        EXPECT_FALSE(app.server().documentOpen());
        EXPECT_FALSE(QFile::exists(tgt + "/b.doc") && QString(member) == "FileOpen");
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
        app.mainWindow().ListView1().Add("old", "old");

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

TEST(BatchMode, TwoSourcesWithOneBaseNameWriteOneTargetLaterLast)
{
    AppHarness app;
    Forms::Get<frmExtension>().LstExt()->addItem("wp5");
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt";
    AppHarness::makeFile(src, "x.wpd");
    AppHarness::makeFile(src, "x.wp5");
    QDir().mkpath(tgt);

    app.startBatch(src, tgt);

    EXPECT_EQ(app.server().pathsOf("FileOpen"), (QStringList{src + "/x.wp5", src + "/x.wpd"}));
    QFile out(tgt + "/x.doc");
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_TRUE(out.readAll().contains("x.wpd"));
}

TEST(BatchMode, TargetThatIsTheSourceIsRefusedAndTheSourceKept)
{
    AppHarness app;
    Forms::Get<frmExtension>().LstExt()->addItem("doc");
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

TEST(BatchMode, CommandsThatStartOrChangeARunAreRefusedWhileItLasts)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src", tgt = app.tempDir() + "/tgt", other = app.tempDir() + "/other";
    for (const char* name : {"a.wpd", "b.wpd", "c.wpd"})
        AppHarness::makeFile(src, name);
    AppHarness::makeFile(other, "z.wpd");
    QDir().mkpath(tgt);

    // While the first document is being opened, the user tries everything.
    bool tried = false;
    QStringList enabledDuringRun;
    app.server().failOn("nothing");
    Form2& main = app.mainWindow();
    Form1& dialog = app.batchDialog();
    app.dialogs().folderAnswers = {other, other};
    auto tryEverything = [&] {
        if (tried)
            return;
        tried = true;
        for (QAction* a : {main.mnuOpen(), main.mnuClose(), main.mnuBatch()})
            if (a->isEnabled())
                enabledDuringRun << a->text();
        main.mnuOpen()->trigger();
        main.mnuClose()->trigger();
        main.mnuBatch()->trigger();
        dialog.btnSource()->click();
        dialog.btnTarget()->click();
        dialog.Command1()->click();
    };
    QObject::connect(&app.mediator(), &Mediator::runningChanged, [&](bool running) {
        if (running)
            QMetaObject::invokeMethod(qApp, tryEverything, Qt::QueuedConnection);
    });

    app.startBatch(src, tgt);

    EXPECT_TRUE(tried);
    EXPECT_TRUE(enabledDuringRun.isEmpty()) << qPrintable(enabledDuringRun.join(","));
    EXPECT_TRUE(app.dialogs().fileRequests.isEmpty());
    EXPECT_TRUE(app.dialogs().folderPrompts.isEmpty());
    EXPECT_TRUE(app.dialogs().modalTitles.isEmpty());
    EXPECT_EQ(app.mediator().GetSourceFolder(), src);
    EXPECT_EQ(app.rows(), (QStringList{src + "/c.wpd|Converted", src + "/b.wpd|Converted",
                                       src + "/a.wpd|Converted"}));
    EXPECT_TRUE(main.mnuOpen()->isEnabled());
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
            Forms::Get<frmExtension>().LstExt()->addItem(c.extensionEntry);
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
    EXPECT_FALSE(app.mainWindow().Next()->isVisible());
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
    app.mainWindow().ListView1().Add("k", "k");
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
