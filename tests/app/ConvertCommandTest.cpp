// SPDX-License-Identifier: MPL-2.0
// The command line's conversion against the scripted server: what the paths
// name, where the Word files go, what is printed, and the exit code.
#include "app/ConvertCommand.h"
#include "support/AppHarness.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <gtest/gtest.h>

using testsupport::AppHarness;

namespace {

// A command run with `stdinText` as its standard input; its standard output
// comes back whole and line by line. On a terminal, its progress goes there
// too.
struct Outcome {
    int exitCode = -1;
    QString text;
    QStringList lines;
};

Outcome convert(const ConvertCommand::Options& options, const QByteArray& stdinText = {}, bool terminal = false)
{
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::fwrite(stdinText.constData(), 1, static_cast<size_t>(stdinText.size()), in);
    std::rewind(in);
    Outcome run;
    run.exitCode = ConvertCommand(options, in, out, terminal ? out : nullptr, nullptr).Run();
    std::rewind(out);
    QFile written;
    written.open(out, QIODevice::ReadOnly);
    run.text = QString::fromUtf8(written.readAll());
    std::fclose(in);
    std::fclose(out);
    run.lines = run.text.split('\n', Qt::SkipEmptyParts);
    return run;
}

Outcome convert(const QStringList& paths, const QString& target, bool json, const QByteArray& stdinText = {})
{
    ConvertCommand::Options options;
    options.paths = paths;
    options.target = target;
    options.json = json;
    return convert(options, stdinText);
}

} // namespace

TEST(ConvertCommand, PrintsALinePerDocumentAndExitsByTheOutcome)
{
    AppHarness app;
    const auto f = app.folders({"a.wpd", "b.wpd", "notes.txt"});
    const QString in = f.source, out = f.target, missing = app.path("missing.wpd");
    app.server().failOn("FileOpen", in + "/b.wpd");
    app.server().failOn("FileOpen", missing); // as the office does

    // A folder gives its documents; a file named is converted whatever its
    // extension; a missing one fails.
    const Outcome run = convert({in, in + "/notes.txt", missing}, out, false);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.lines, (QStringList{in + "/a.wpd\tConverted\t" + out + "/a.doc",
                                      in + "/b.wpd\tFailed\tFileOpen failed (scripted)",
                                      in + "/notes.txt\tConverted\t" + out + "/notes.doc",
                                      missing + "\tFailed\tFileOpen failed (scripted)"}));
    EXPECT_TRUE(QFile::exists(out + "/a.doc"));
    EXPECT_FALSE(QFile::exists(out + "/b.doc"));
}

TEST(ConvertCommand, JsonLinesCarryTargetOrReason)
{
    AppHarness app;
    const QString in = app.folders({"good.wpd", "bad.wpd"}).source;
    app.server().failOn("FileSave", in + "/bad.wpd");

    const Outcome run = convert({in + "/good.wpd", in + "/bad.wpd"}, QString(), true);

    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 2);
    const QJsonObject good = QJsonDocument::fromJson(run.lines[0].toUtf8()).object();
    const QJsonObject bad = QJsonDocument::fromJson(run.lines[1].toUtf8()).object();
    EXPECT_EQ(good.value("source").toString(), in + "/good.wpd");
    EXPECT_EQ(good.value("status").toString(), "Converted");
    EXPECT_EQ(good.value("target").toString(), in + "/good.doc"); // next to its document
    EXPECT_FALSE(good.contains("reason"));
    EXPECT_EQ(bad.value("status").toString(), "Failed");
    EXPECT_EQ(bad.value("reason").toString(), "FileSave failed (scripted)");
    EXPECT_FALSE(bad.contains("target"));
}

TEST(ConvertCommand, PathsFromStandardInputEachOnceInOneRun)
{
    AppHarness app;
    const auto f = app.folders({"one/x.wpd", "two/x.wpd", "two/y.wpd"});
    const QString one = f.doc("one"), two = f.doc("two"), out = f.target;
    const QByteArray input = (one + "/x.wpd\n\n" + two + "\r\n" + two + "/y.wpd\n").toUtf8();

    // Into one target folder: the second x.wpd would replace the first's
    // Word file, so it fails; y.wpd, named twice, is converted once.
    const Outcome run = convert({"-"}, out, false, input);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.lines.size(), 3);
    EXPECT_TRUE(run.lines[0].startsWith(one + "/x.wpd\tConverted"));
    EXPECT_TRUE(run.lines[1].startsWith(two + "/x.wpd\tFailed\tThe target " + out + "/x.doc was already written by "));
    EXPECT_TRUE(run.lines[2].startsWith(two + "/y.wpd\tConverted"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), (QStringList{"x.doc", "y.doc"}));
}

// What the Word file lacks, as the server says it after the save, follows
// the target.
TEST(ConvertCommand, EverythingConvertedExitsZeroATargetThatCannotBeAFolderTwoNoOfficeThreeAndTheReasonFollowsTheTarget)
{
    AppHarness app;
    const QString in = app.folders().source, file = testsupport::WriteFile(app.path("a file"));
    EXPECT_EQ(convert({in}, file, false).exitCode, 2);
    EXPECT_EQ(convert({in}, file + "/below", false).exitCode, 2);
    EXPECT_TRUE(app.server().calls.isEmpty());
    // A target folder not there yet is made.
    EXPECT_EQ(convert({in}, app.path("new/folder"), false).exitCode, 0);
    EXPECT_TRUE(QFile::exists(app.path("new/folder/a.doc")));
    const Outcome run = convert({in}, QString(), false);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, QStringList{in + "/a.wpd\tConverted\t" + in + "/a.doc"});
    const QString lacks = "The Word file lacks 1 of 2 pictures";
    app.server().offer("envConversionNotes", false, lacks);
    const Outcome noted = convert({in}, QString(), false);
    EXPECT_EQ(noted.exitCode, 0);
    EXPECT_EQ(noted.lines, QStringList{in + "/a.wpd\tConverted\t" + in + "/a.doc\t" + lacks});
    const QJsonObject line = QJsonDocument::fromJson(convert({in}, QString(), true).lines.value(0).toUtf8()).object();
    EXPECT_EQ(line.value("target").toString(), in + "/a.doc");
    EXPECT_EQ(line.value("reason").toString(), lacks);
    // A folder with nothing to convert converts nothing, successfully.
    QDir().mkpath(app.path("empty"));
    EXPECT_EQ(convert({app.path("empty")}, QString(), false).exitCode, 0);
    // A word processor that cannot start: 3, and nothing tried.
    app.server().calls.clear();
    app.server().offer("WaitForStart", true);
    EXPECT_EQ(convert({in}, QString(), false).exitCode, 3);
    EXPECT_EQ(app.server().memberNames(), QStringList{"WaitForStart"});
}

TEST(ConvertCommand, TreesAreMirroredResumedAndKeptInsideTheBase)
{
    AppHarness app;
    const QStringList names{"top.wpd", "2019/a/x.wpd", "2019/b/x.WP5", "2019/b/notes.txt"};
    const auto f = app.folders(names);
    const QString in = f.source, out = f.target;
    for (const QString& name : names) {
        QFile file(f.doc(name));
        file.open(QIODevice::ReadWrite);
        file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    }
    ConvertCommand::Options options;
    options.paths = {in};
    options.target = out;
    options.recursive = true;
    options.extensions = {"wpd", "wp5"};
    const QStringList converted{in + "/top.wpd\tConverted\t" + out + "/top.doc",
                                in + "/2019/a/x.wpd\tConverted\t" + out + "/2019/a/x.doc",
                                in + "/2019/b/x.WP5\tConverted\t" + out + "/2019/b/x.doc"};
    EXPECT_EQ(convert(options).lines, converted);
    EXPECT_TRUE(QFile::exists(out + "/2019/b/x.doc"));

    // Resumed: what has a newer Word file is skipped, without the office.
    app.server().calls.clear();
    options.skipExisting = true;
    const Outcome resumed = convert(options);
    EXPECT_EQ(resumed.exitCode, 0);
    EXPECT_EQ(resumed.lines, QStringList(converted).replaceInStrings("Converted", "Skipped"));
    EXPECT_TRUE(app.server().calls.isEmpty());

    // Paths one by one take their places from --base; one outside is refused
    // before anything is converted.
    options = {};
    options.paths = {"-"};
    options.target = out + "x";
    options.base = in;
    options.format = Automation::Word2007Format;
    EXPECT_EQ(convert(options, (in + "/2019/a/x.wpd\n").toUtf8()).lines,
              QStringList{in + "/2019/a/x.wpd\tConverted\t" + out + "x/2019/a/x.docx"});
    EXPECT_EQ(app.server().calls.at(app.server().calls.size() - 2).args.value(1).toInteger(), 70);
    app.server().calls.clear();
    const Outcome outside = convert(options, (in + "/top.wpd\n" + app.path("y.wpd") + "\n").toUtf8());
    EXPECT_EQ(outside.exitCode, 2);
    EXPECT_TRUE(outside.lines.isEmpty());
    EXPECT_TRUE(app.server().calls.isEmpty());
}

TEST(ConvertCommand, OnATerminalTheProgressLineIsClearedBeforeEachResultLine)
{
    AppHarness app;
    ConvertCommand::Options options;
    options.paths = {testsupport::WriteFile(app.path("a.wpd"))};
    EXPECT_EQ(convert(options, {}, /*terminal=*/true).text,
              "\r\x1b[K0 of 1 done\r\x1b[K" + options.paths[0] + "\tConverted\t" + app.path("a.doc") + "\n"
              "\r\x1b[K1 of 1 done\r\x1b[K");
}
