// SPDX-License-Identifier: MPL-2.0
// The command line: what each form of it asks the program to do.
#include "app/CommandLine.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

using Mode = CommandLine::Mode;

struct Case {
    const char* what;
    QStringList arguments;
    Mode mode;
    QStringList operands = {}; // files (windows) or paths (--convert)
    QString target = {};
    bool json = false;
    QString error = {};
};

} // namespace

TEST(CommandLine, ParsesEachForm)
{
    const Case cases[] = {
        {"nothing: the windows as today", {}, Mode::Windows},
        {"Open With: documents in order", {"/a/x.wpd", "/b/y y.wpd"}, Mode::Windows, {"/a/x.wpd", "/b/y y.wpd"}},
        {"-- lets a file start with a dash", {"--", "-x.wpd", "--json"}, Mode::Windows, {"-x.wpd", "--json"}},
        {"Qt's options are not files", {"-platform", "offscreen", "-style=fusion", "-reverse", "a.wpd"}, Mode::Windows, {"a.wpd"}},
        {"convert documents and folders", {"--convert", "a.wpd", "dir"}, Mode::Convert, {"a.wpd", "dir"}},
        {"options in any order", {"a.wpd", "--json", "--target", "out", "--convert"}, Mode::Convert, {"a.wpd"}, "out", true},
        {"--target=DIR", {"--convert", "--target=out=1", "a.wpd"}, Mode::Convert, {"a.wpd"}, "out=1"},
        {"- keeps its place among the paths", {"--convert", "a.wpd", "-", "b.wpd"}, Mode::Convert, {"a.wpd", "-", "b.wpd"}},
        {"--help wins over everything", {"--convert", "--bogus", "--help"}, Mode::Help},
        {"-h", {"-h"}, Mode::Help},
        {"--help wins over --version", {"--version", "--help"}, Mode::Help},
        {"--version", {"a.wpd", "--version"}, Mode::Version},
        {"--help after -- is a file", {"--", "--help"}, Mode::Windows, {"--help"}},
        {"unknown option", {"--convert", "--bogus", "a.wpd"}, Mode::UsageError, {}, {}, false, "unknown option --bogus"},
        {"single-dash unknown option", {"-x"}, Mode::UsageError, {}, {}, false, "unknown option -x"},
        {"--convert without a path", {"--convert", "--json"}, Mode::UsageError, {}, {}, false, "--convert needs a PATH (or - for standard input)"},
        {"--target at the end", {"--convert", "a.wpd", "--target"}, Mode::UsageError, {}, {}, false, "--target needs a folder"},
        {"--target= empty", {"--convert", "--target=", "a.wpd"}, Mode::UsageError, {}, {}, false, "--target needs a folder"},
        {"--target twice", {"--convert", "--target", "a", "--target", "b", "x.wpd"}, Mode::UsageError, {}, {}, false, "--target is given more than once"},
        {"--target without --convert", {"--target", "out", "a.wpd"}, Mode::UsageError, {}, {}, false, "--target only goes with --convert"},
        {"--json without --convert", {"--json", "a.wpd"}, Mode::UsageError, {}, {}, false, "--json only goes with --convert"},
        {"- without --convert", {"-"}, Mode::UsageError, {}, {}, false, "- (paths from standard input) only goes with --convert"},
        {"- twice", {"--convert", "-", "-"}, Mode::UsageError, {}, {}, false, "- is given more than once"},
        {"an empty path", {"--convert", ""}, Mode::UsageError, {}, {}, false, "an empty path"},
        {"--base without --target", {"--convert", "--base", "b", "x"}, Mode::UsageError, {}, {}, false, "--base only goes with --target"},
        {"an unknown format", {"--convert", "--to", "rtf", "x"}, Mode::UsageError, {}, {}, false, "--to must be doc, docx, odt or pdf, not rtf"},
        {"an empty extension", {"--convert", "--extensions", "wpd,,wp", "x"}, Mode::UsageError, {}, {}, false, "--extensions needs extensions separated by commas, as wpd,wp5"},
        {"-r without --convert", {"-r", "x"}, Mode::UsageError, {}, {}, false, "-r only goes with --convert"},
        {"no display for the windows", {"x.wpd"}, Mode::NoDisplay, {"x.wpd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CommandLine::Options parsed = CommandLine::Parse(c.arguments, c.mode != Mode::NoDisplay);
        EXPECT_EQ(parsed.mode, c.mode);
        EXPECT_EQ(c.mode == Mode::Convert ? parsed.paths : parsed.files, c.operands);
        EXPECT_TRUE((c.mode == Mode::Convert ? parsed.files : parsed.paths).isEmpty());
        EXPECT_EQ(parsed.target, c.target);
        EXPECT_EQ(parsed.json, c.json);
        EXPECT_EQ(parsed.error, c.error);
    }
    const CommandLine::Options tree = CommandLine::Parse(
        QStringList({"--convert", "-r", "-q", "--to=pdf", "--skip-existing", "--extensions", " wpd,.WP5", "--target", "o",
              "--base", "b", "-"}));
    EXPECT_TRUE(tree.recursive && tree.quiet && tree.skipExisting && !tree.json);
    EXPECT_EQ(tree.format, Automation::PdfFormat);
    EXPECT_EQ(tree.extensions, (QStringList{"wpd", "WP5"}));
    EXPECT_EQ(tree.base, "b");
}

TEST(CommandLine, HelpNamesEveryOptionAndExitCode)
{
    const QString help = CommandLine::HelpText();
    for (const char* word : {"--convert", "--target DIR", "--json", "PATH", "standard input", "--help", "--version",
                             "Open With", "0 when every document converted", "1 when any failed", "2 on a usage error",
                             "-r, --recursive", "--base DIR", "--to FORMAT", "--skip-existing", "--extensions LIST",
                             "-q, --quiet", "3 when no office", "TALLOWIN_OFFICES"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(word))) << word;
    for (const QString& line : help.split(QLatin1Char('\n')))
        EXPECT_LE(line.size(), 79) << line.toStdString();
}
