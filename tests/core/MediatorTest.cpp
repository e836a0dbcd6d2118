// The Mediator without windows: the record of chosen paths, the choosing of
// folders and documents, and what it keeps for the windows to show.
#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "support/AppHarness.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::AppHarness;

TEST(Mediator, RecordsTheTempFolderAndPathsExactlyAsGiven)
{
    const QByteArray oldTmp = qgetenv("TMPDIR");
    QTemporaryDir tmp;
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    {
        AppHarness app;
        Mediator& m = app.mediator();
        EXPECT_EQ(m.GetTempFolder(), tmp.path() + "/");
        for (auto get : {&Mediator::GetSourceFolder, &Mediator::GetTgtFolder, &Mediator::GetSourceFile,
                         &Mediator::GetTgtFile})
            EXPECT_TRUE((m.*get)().isEmpty());
        for (const QString& text : {QString("/a/b/"), QString("/a/b"), QString(" spaced "), QString()}) {
            m.SetTgtFolder(text);
            EXPECT_EQ(m.GetTgtFolder(), text);
            m.SetSourceFolder(text);
            EXPECT_EQ(m.GetSourceFolder(), text);
        }
    }
    if (oldTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTmp);
}

TEST(Mediator, SourceFolderListsTheAcceptedDocumentsInFileListOrder)
{
    AppHarness app;
    const QString src = app.tempDir() + "/src";
    for (const char* name : {"b.txt", "C.WPD", "a.wpd", "README"})
        AppHarness::makeFile(src, name);
    app.dialogs().folderAnswers = {src};

    app.mediator().SourceFolder();

    EXPECT_EQ(app.dialogs().folderPrompts, QStringList{"Select a Source Folder"});
    EXPECT_EQ(app.mediator().FoundDocuments().stringList(), (QStringList{"a.wpd", "C.WPD"}));
    EXPECT_EQ(app.mediator().GetSourceFolder(), src);

    // Cancelling leaves everything as it was.
    app.mediator().SourceFolder();
    EXPECT_EQ(app.mediator().FoundDocuments().stringList(), (QStringList{"a.wpd", "C.WPD"}));
    EXPECT_EQ(app.mediator().GetSourceFolder(), src);

    // "unknown" in the list accepts files without a usable extension.
    app.mediator().Extensions().AddItem("Unknown");
    app.dialogs().folderAnswers = {src};
    app.mediator().SourceFolder();
    EXPECT_EQ(app.mediator().FoundDocuments().stringList(), (QStringList{"a.wpd", "C.WPD", "README"}));
}

TEST(Mediator, AFolderThatCannotBeListedListsNothing)
{
    AppHarness app;
    app.dialogs().folderAnswers = {"/no/such/folder"};
    app.mediator().FoundDocuments().setStringList({"old.wpd"});
    app.mediator().SourceFolder();
    EXPECT_TRUE(app.mediator().FoundDocuments().stringList().isEmpty());
    EXPECT_EQ(app.mediator().GetSourceFolder(), "/no/such/folder");
}

TEST(Mediator, TargetFolderCancelledEmptiesTheStoredFolder)
{
    AppHarness app;
    app.dialogs().folderAnswers = {"/chosen"};
    app.mediator().TargetFolder();
    EXPECT_EQ(app.mediator().GetTgtFolder(), "/chosen");
    app.mediator().TargetFolder();
    EXPECT_EQ(app.dialogs().folderPrompts, (QStringList{"Select a Target Folder", "Select a Target Folder"}));
    EXPECT_TRUE(app.mediator().GetTgtFolder().isEmpty());
}

TEST(Mediator, ChoosingADocumentMakesItsFolderTheTarget)
{
    AppHarness app;
    app.mediator().SetTgtFolder("/batch/target");
    const QString doc = AppHarness::makeFile(app.tempDir() + "/single", "a.wpd");
    app.dialogs().fileAnswers = {doc, std::nullopt};
    app.mediator().SingleSourceFile();
    EXPECT_EQ(app.mediator().GetTgtFolder(), app.tempDir() + "/single/");
}

TEST(Mediator, WithoutWindowsAConversionShowsNothingAndStillConverts)
{
    // The logic asks the windows nothing it cannot do without them.
    AppHarness app;
    ASSERT_EQ(app.mediator().userInterface(), nullptr);
    const QString doc = AppHarness::makeFile(app.tempDir() + "/single", "a.wpd");
    app.dialogs().fileAnswers = {doc, app.tempDir() + "/single/a.doc"};
    app.mediator().SingleSourceFile();
    EXPECT_EQ(app.rows(), QStringList{doc + "|Converted"});
}
