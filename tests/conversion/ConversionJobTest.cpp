// SPDX-License-Identifier: MPL-2.0
// The two conversion jobs and the delay-code clean-up against the scripted
// server: the steps in their order, the event passes between them, the
// target names, and what a failure leaves behind.
#include "conversion/DecObj.h"
#include "conversion/DecObj2.h"
#include "conversion/RmvDelayCode.h"
#include "core/DocumentList.h"
#include "core/Mediator.h"
#include "platform/desktop/EventPass.h"
#include "platform/desktop/Program.h"
#include "platform/automation/RuntimeError.h"
#include "support/AppHarness.h"

#include <QFile>
#include <gtest/gtest.h>
#include <optional>

using platform::Value;
using testsupport::AppHarness;

namespace {

// What `run` called: "member:passes-since-previous-call" for every call, and
// the passes after the last call until it returned.
QStringList stepsWithPasses(const testsupport::ScriptedServer& server, const std::function<void()>& run)
{
    QStringList steps;
    const quint64 start = platform::EventPassCount();
    run();
    quint64 previous = start;
    for (const auto& call : server.calls) {
        QString name = call.member;
        if (call.member == "FileSave")
            name += call.args.size() == 2 ? "(doc)" : "(tmp)";
        steps << QStringLiteral("%1:%2").arg(name).arg(call.eventPasses - previous);
        previous = call.eventPasses;
    }
    steps << QStringLiteral("end:%1").arg(platform::EventPassCount() - previous);
    return steps;
}

template <class Job>
void runJob(const QString& path)
{
    auto job = std::make_shared<Job>();
    job->init(path);
    platform::CallByName(job.get(), "Execute");
}

// A document in the test's folder, which is also the record's target folder.
QString documentHere(AppHarness& app, const QString& name = "a.wpd", const QByteArray& content = "x")
{
    app.mediator().SetTgtFolder(app.tempDir());
    return testsupport::WriteFile(app.path(name), content);
}

} // namespace

TEST(BatchJob, StepsAndEventPassesInOrder)
{
    AppHarness app;
    app.server().docBlank = Value(true); // no clean-up macro
    const auto f = app.folders({"report.wpd"});
    const QString doc = f.doc("report.wpd");
    app.mediator().SetTgtFolder(f.target);

    EXPECT_EQ(stepsWithPasses(app.server(), [&] { runJob<DecObj>(doc); }),
              (QStringList{"FileOpen:1", "envDocBlank:0", "FileSave(tmp):0", "FileSave(doc):1", "CloseNoSave:7",
                           "end:10"}));
    EXPECT_EQ(app.server().pathsOf("FileSave").last(), f.target + "/report.doc");
    EXPECT_EQ(app.server().calls[3].args[1].toInteger(), 69);
    EXPECT_EQ(app.rows(), QStringList{doc + "|Converted"});
    // The status column shows the latest status; the earlier one is kept.
    EXPECT_EQ(app.mediator().Documents().Find(doc)->SubItems, (QStringList{"Converted", "Converting..."}));
}

TEST(SingleJob, StepsAndEventPassesInOrder)
{
    AppHarness app;
    app.server().docBlank = Value(true);
    const QString doc = documentHere(app, "a.b.wpd");
    app.dialogs().fileAnswers = {app.path("typed")};

    EXPECT_EQ(stepsWithPasses(app.server(), [&] { runJob<DecObj2>(doc); }),
              (QStringList{"FileOpen:0", "envDocBlank:0", "FileSave(tmp):0", "FileSave(doc):3", "CloseNoSave:3",
                           "end:15"}));
    ASSERT_EQ(app.dialogs().fileRequests.size(), 1);
    const auto& r = app.dialogs().fileRequests[0];
    EXPECT_EQ(r.fileName, app.path("a.b.doc")); // proposed: base name with two dots
    EXPECT_EQ(r.filters, QStringList{"*.doc"});
    EXPECT_FALSE(r.mustExist); // a Save As dialog accepts a new name
    // A name typed without an extension is used as typed.
    EXPECT_EQ(app.server().pathsOf("FileSave").last(), app.path("typed"));
    EXPECT_EQ(app.rows(), QStringList{doc + "|Converted"});
}

TEST(SingleJob, ANameTypedWithAnotherFormatsExtensionWritesThatFormat)
{
    const std::pair<const char*, int> cases[] = {
        {"x.docx", 70}, {"x.ODT", 71}, {"x.pdf", 72}, {"x.doc", 69}, {"x.txt", 69}, {"docx", 69}};
    for (const auto& [name, format] : cases) {
        AppHarness app;
        const QString doc = documentHere(app);
        app.dialogs().fileAnswers = {app.path(name)};
        runJob<DecObj2>(doc);
        EXPECT_EQ(app.server().calls.last(2).first().args.value(1).toInteger(), format) << name;
    }
}

TEST(Jobs, ProposedTargetKeepsTheFolderTextUnchanged)
{
    // A root folder gives a doubled separator, passed on as it is.
    for (const auto& [folder, expected] : {std::pair{"/out", "/out/report.doc"}, std::pair{"/", "//report.doc"}}) {
        AppHarness app;
        app.server().writeFiles = false;
        const QString doc = testsupport::WriteFile(app.path("report.wpd"));
        app.mediator().SetTgtFolder(folder);
        runJob<DecObj>(doc);
        EXPECT_EQ(app.server().pathsOf("FileSave").last(), expected);
    }
}

TEST(Jobs, ADuplicateRowFailsBeforeAnyStatusIsWritten)
{
    AppHarness app;
    const QString doc = documentHere(app);
    app.mediator().Documents().Add(doc, doc);
    EXPECT_THROW(runJob<DecObj>(doc), platform::RuntimeError);
    EXPECT_THROW(runJob<DecObj2>(doc), platform::RuntimeError);
    EXPECT_EQ(app.rows(), QStringList{doc + "|"});
    EXPECT_TRUE(app.server().calls.isEmpty());
}

TEST(Jobs, EveryOutcomeIsConvertedWithItsWordFileOrFailedWithNothingWritten)
{
    // Each step the jobs call themselves; the clean-up macro's failures never
    // reach the job, nor stop the conversion. Once the Word file is written,
    // a close that fails changes nothing: the document is converted.
    struct Case {
        const char* member;
        bool onTarget; // only the Word save fails, not the temporary copy
        const char* status;
        bool written;
        const char* reason;
    };
    const Case cases[] = {
        {"FileOpen", false, "Failed", false, "FileOpen failed (scripted)"},
        {"FileSave", false, "Failed", false, "FileSave failed (scripted)"},
        {"FileSave", true, "Failed", false, "FileSave failed (scripted)"},
        {"CloseNoSave", false, "Converted", true, ""},
        {"MacroFilePlay", false, "Converted", true, ""},
    };
    for (const Case& c : cases) {
        for (bool batch : {true, false}) {
            SCOPED_TRACE(std::string(c.member) + (c.onTarget ? " (Word)" : "") + (batch ? " batch" : " single"));
            AppHarness app;
            const QString doc = documentHere(app, "a.wpd", "source bytes"), target = app.path("a.doc");
            app.dialogs().fileAnswers = {target};
            app.server().failOn(c.member, c.onTarget ? target : QString());
            const bool fails = QString(c.status) == "Failed";
            if (batch && fails) {
                EXPECT_THROW(runJob<DecObj>(doc), platform::RuntimeError);
            } else {
                EXPECT_NO_THROW(batch ? runJob<DecObj>(doc) : runJob<DecObj2>(doc));
            }
            EXPECT_EQ(app.rows(), QStringList{doc + "|" + c.status});
            EXPECT_EQ(app.reasonOf(doc), c.reason);
            EXPECT_EQ(QFile::exists(target), c.written);
            EXPECT_FALSE(app.server().documentOpen() && QString(c.member) != "CloseNoSave");
            EXPECT_TRUE(app.server().tempCopiesLeft().isEmpty());
            EXPECT_EQ(testsupport::ReadFile(doc), "source bytes");
        }
    }
}

TEST(Jobs, WhatTheWordFileLacksIsTheReasonOfAConvertedRowWhenTheServerSaysIt)
{
    // Only a server with the optional member is asked, once, right after the
    // Word save; no notes, a failing question or a server without the
    // member leave the row as it was.
    struct Case {
        std::optional<QString> offer; // none: no member
        bool failing;
        const char* reason;
    };
    const QString lacks = QStringLiteral("The Word file lacks 3 of 12 pictures");
    const Case cases[] = {
        {std::nullopt, false, ""},
        {QString(), false, ""},
        {lacks, false, "The Word file lacks 3 of 12 pictures"},
        {lacks, true, ""},
    };
    for (const Case& c : cases) {
        for (bool batch : {true, false}) {
            SCOPED_TRACE(QStringLiteral("%1%2 %3").arg(c.offer.value_or("-"), c.failing ? " failing" : "").arg(batch).toStdString());
            AppHarness app;
            const QString doc = documentHere(app), target = app.path("a.doc");
            app.dialogs().fileAnswers = {target};
            if (c.offer)
                app.server().offer("envConversionNotes", c.failing, *c.offer);
            EXPECT_NO_THROW(batch ? runJob<DecObj>(doc) : runJob<DecObj2>(doc));
            EXPECT_EQ(app.rows(), QStringList{doc + "|Converted"});
            EXPECT_EQ(app.reasonOf(doc), c.reason);
            EXPECT_TRUE(QFile::exists(target));
            QStringList calls = app.server().memberNames();
            const qsizetype asked = calls.indexOf("envConversionNotes");
            EXPECT_EQ(asked >= 0, c.offer.has_value());
            if (asked >= 0) {
                EXPECT_EQ(calls.count("envConversionNotes"), 1);
                EXPECT_EQ(calls.at(asked - 1), "FileSave");
                EXPECT_EQ(app.server().calls.at(asked - 1).args.size(), 2);
            }
        }
    }
}

TEST(Jobs, SaveAsCancelledOrLeftEmptyFailsWithAReasonAndWritesNothing)
{
    struct Case {
        std::optional<QString> answer;
        const char* reason;
    };
    const Case cases[] = {
        {std::nullopt, "The Save As dialog was cancelled; nothing was written"},
        {QString(), "No file name was chosen in the Save As dialog"},
    };
    for (const Case& c : cases) {
        AppHarness app;
        const QString doc = documentHere(app);
        app.dialogs().fileAnswers = {c.answer};
        runJob<DecObj2>(doc);
        EXPECT_EQ(app.rows(), QStringList{doc + "|Failed"});
        EXPECT_EQ(app.reasonOf(doc), c.reason);
        // The document is closed and nothing is saved, not even a copy.
        EXPECT_FALSE(app.server().documentOpen());
        EXPECT_TRUE(app.server().pathsOf("FileSave").isEmpty());
        EXPECT_FALSE(QFile::exists(app.path("a.doc")));
    }
}

// The macro is the one in the program's folder.
TEST(DelayCodeRemoval, WaitsInEventPassesWhileTheMacroPlays)
{
    struct Case {
        const char* name;
        Value blank;
        QList<Value> playing;
        const char* failing;
        bool result;
        const char* calls; // after envDocBlank
        int passes;
    } cases[] = {
        {"blank", Value(true), {}, nullptr, true, "", 0},
        {"blank as null", Value::null(), {}, nullptr, true, "", 0},
        {"finished at once", Value(false), {Value(false)}, nullptr, true, "PosDocVeryTop MacroFilePlay envMacroPlaying", 8},
        {"1 counts as not blank", Value(1), {Value(false)}, nullptr, true, "PosDocVeryTop MacroFilePlay envMacroPlaying", 8},
        {"three more queries", Value(false), {Value(true), Value(true), Value(true), Value(false)}, nullptr, true,
         "PosDocVeryTop MacroFilePlay envMacroPlaying envMacroPlaying envMacroPlaying envMacroPlaying", 11},
        {"1 is not playing", Value(false), {Value(1)}, nullptr, true, "PosDocVeryTop MacroFilePlay envMacroPlaying", 8},
        {"macro refused", Value(false), {}, "MacroFilePlay", false, "PosDocVeryTop MacroFilePlay", 0},
        {"blank query refused", Value(false), {}, "envDocBlank", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppHarness app;
        app.server().docBlank = c.blank;
        app.server().macroPlaying = c.playing;
        if (c.failing)
            app.server().failOn(c.failing);
        const quint64 start = platform::EventPassCount();
        EXPECT_EQ(RmvDelayCode().RemoveDelayCode(), c.result);
        EXPECT_EQ(int(platform::EventPassCount() - start), c.passes);
        EXPECT_EQ(app.server().memberNames(), QString("envDocBlank ").append(c.calls).split(' ', Qt::SkipEmptyParts));
        EXPECT_EQ(app.server().pathsOf("MacroFilePlay"),
                  QStringList(QString(c.calls).contains("Macro") ? 1 : 0, platform::AppPath() + "/RmvDelayCode.wcm"));
    }
}

TEST(DelayCodeRemoval, AServerThatNeverStopsPlayingIsGivenUpOnWithoutSpinning)
{
    AppHarness app;
    app.server().macroPlaying = QList<Value>(100000, Value(true));
    const int limit = RmvDelayCode::WaitLimitMs();
    RmvDelayCode::SetWaitLimitMs(200);
    const quint64 start = platform::EventPassCount();
    EXPECT_FALSE(RmvDelayCode().RemoveDelayCode());
    RmvDelayCode::SetWaitLimitMs(limit);
    // Each pass of the wait sleeps until an event or the poll interval: a
    // few dozen passes in 200 ms, not hundreds of thousands.
    EXPECT_LT(platform::EventPassCount() - start, 200u);
}
