// Path texts in both styles: the Windows examples as written, and the same
// rules natively with "/".
#include "fs/clsFileSystem.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using Style = clsFileSystem::PathStyle;
enum class Op { Extension, BaseName, BaseNameWithPath, FileName, Path };

struct TextCase {
    Op op;
    const char* input;
    const char* expected;
};

std::ostream& operator<<(std::ostream& out, const TextCase& c)
{
    static const char* const names[] = {"GetFileExtension", "GetFileBaseName", "GetFileBaseName+path", "GetFileName",
                                        "GetPath"};
    return out << names[int(c.op)] << "(\"" << c.input << "\")";
}

QString Apply(const clsFileSystem& fs, Op op, const QString& text)
{
    switch (op) {
    case Op::Extension: return fs.GetFileExtension(text);
    case Op::BaseName: return fs.GetFileBaseName(text, false);
    case Op::BaseNameWithPath: return fs.GetFileBaseName(text, true);
    case Op::FileName: return fs.GetFileName(text);
    case Op::Path: return fs.GetPath(text);
    }
    return {};
}

class WindowsPathTest : public testing::TestWithParam<TextCase> {};
class NativePathTest : public testing::TestWithParam<TextCase> {};

TEST_P(WindowsPathTest, Text)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(Apply(clsFileSystem(Style::Windows), c.op, QString::fromUtf8(c.input)), QString::fromUtf8(c.expected));
}

TEST_P(NativePathTest, Text)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(Apply(clsFileSystem(Style::Native), c.op, QString::fromUtf8(c.input)), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(, WindowsPathTest, testing::Values(
    TextCase{Op::Extension, "report.wpd", "wpd"}, TextCase{Op::Extension, "a.b", "b"},
    TextCase{Op::Extension, "page.html", "html"}, TextCase{Op::Extension, "archive.tar.gz", "gz"},
    TextCase{Op::Extension, "data.backup", "Unknown"}, TextCase{Op::Extension, "name.", "Unknown"},
    TextCase{Op::Extension, "a.TXT", "TXT"}, TextCase{Op::Extension, "", "Unknown"},
    TextCase{Op::Extension, "C:\\x.y\\ab", "y\\ab"},
    // Shorter than the position tested: the first character is tested.
    TextCase{Op::Extension, ".a", "a"}, TextCase{Op::Extension, ".wpd", "wpd"}, TextCase{Op::Extension, "ab", "Unknown"},

    TextCase{Op::BaseName, "C:\\docs\\report.wpd", "report"},
    TextCase{Op::BaseName, "C:\\docs\\archive.tar.gz", "archive.tar"},
    TextCase{Op::BaseName, "C:\\docs\\README", "README"}, TextCase{Op::BaseName, "C:\\docs.old\\README", "README"},
    TextCase{Op::BaseName, "C:report.wpd", "report"}, TextCase{Op::BaseName, "C:\\docs\\.profile", ""},
    TextCase{Op::BaseName, "report.wpd", "report"}, TextCase{Op::BaseName, "", ""},
    TextCase{Op::BaseName, "docs/report.wpd", "docs/report"}, // "/" is an ordinary character here
    TextCase{Op::BaseNameWithPath, "C:\\docs\\report.wpd", "C:\\docs\\report"},
    TextCase{Op::BaseNameWithPath, "C:\\docs\\README", "C:\\docs\\README"},
    TextCase{Op::BaseNameWithPath, "C:\\docs.old\\README", "C:\\docs.old\\README"},

    TextCase{Op::FileName, "C:\\docs\\report.wpd", "report.wpd"}, TextCase{Op::FileName, "C:\\docs\\", ""},
    TextCase{Op::FileName, "C:\\report.wpd", "report.wpd"},
    TextCase{Op::FileName, "C:\\docs/report.wpd", "docs/report.wpd"},

    TextCase{Op::Path, "C:\\docs\\report.wpd", "C:\\docs\\"}, TextCase{Op::Path, "C:\\report.wpd", "C:\\"},
    TextCase{Op::Path, "report.wpd", "\\"}, TextCase{Op::Path, "", "\\"},
    TextCase{Op::Path, "C:\\a\\b\\c\\d.wpd", "C:\\a\\b\\c\\"}, TextCase{Op::Path, "C:\\docs\\", "C:\\docs\\"},
    TextCase{Op::Path, "/docs/report.wpd", "\\"}));

INSTANTIATE_TEST_SUITE_P(, NativePathTest, testing::Values(
    TextCase{Op::Extension, "report.wpd", "wpd"}, TextCase{Op::Extension, "a.b", "b"},
    TextCase{Op::Extension, "page.html", "html"}, TextCase{Op::Extension, "archive.tar.gz", "gz"},
    TextCase{Op::Extension, "data.backup", "Unknown"}, TextCase{Op::Extension, "name.", "Unknown"},
    TextCase{Op::Extension, "a.TXT", "TXT"}, TextCase{Op::Extension, "", "Unknown"},
    TextCase{Op::Extension, "/x.y/ab", "y/ab"}, TextCase{Op::Extension, ".a", "a"},

    TextCase{Op::BaseName, "/docs/report.wpd", "report"}, TextCase{Op::BaseName, "/docs/archive.tar.gz", "archive.tar"},
    TextCase{Op::BaseName, "/docs/README", "README"}, TextCase{Op::BaseName, "/docs.old/README", "README"},
    TextCase{Op::BaseName, "/docs/.profile", ""}, TextCase{Op::BaseName, "report.wpd", "report"},
    // Natively neither ":" nor "\" separates anything.
    TextCase{Op::BaseName, "C:report.wpd", "C:report"}, TextCase{Op::BaseName, "/docs/a\\b.wpd", "a\\b"},
    TextCase{Op::BaseNameWithPath, "/docs/report.wpd", "/docs/report"},
    TextCase{Op::BaseNameWithPath, "/docs/README", "/docs/README"},
    TextCase{Op::BaseNameWithPath, "/docs.old/README", "/docs.old/README"},

    TextCase{Op::FileName, "/docs/report.wpd", "report.wpd"}, TextCase{Op::FileName, "/docs/", ""},
    TextCase{Op::FileName, "/report.wpd", "report.wpd"}, // a file in the root folder
    TextCase{Op::FileName, "/docs/a\\b.wpd", "a\\b.wpd"},

    TextCase{Op::Path, "/docs/report.wpd", "/docs/"}, TextCase{Op::Path, "/report.wpd", "/"},
    TextCase{Op::Path, "report.wpd", "/"}, TextCase{Op::Path, "", "/"},
    TextCase{Op::Path, "/a/b/c/d.wpd", "/a/b/c/"}, TextCase{Op::Path, "C:\\docs\\report.wpd", "/"}));

TEST(JoinPathTest, ExactlyOneSeparator)
{
    struct Case {
        Style style;
        const char* folder;
        const char* expected; // with the name "a.wpd"
    };
    const Case cases[] = {
        {Style::Windows, "C:\\", "C:\\a.wpd"}, {Style::Windows, "C:\\docs", "C:\\docs\\a.wpd"},
        {Style::Windows, "C:\\docs\\", "C:\\docs\\a.wpd"}, {Style::Windows, "C:", "C:\\a.wpd"},
        {Style::Windows, "", "a.wpd"},
        {Style::Native, "/", "/a.wpd"}, {Style::Native, "/docs", "/docs/a.wpd"},
        {Style::Native, "/docs/", "/docs/a.wpd"}, {Style::Native, "/docs\\", "/docs\\/a.wpd"},
        {Style::Native, "", "a.wpd"}, // not the root folder
    };
    for (const Case& c : cases)
        EXPECT_EQ(clsFileSystem(c.style).JoinPath(QString::fromUtf8(c.folder), QStringLiteral("a.wpd")),
                  QString::fromUtf8(c.expected)) << c.folder;
    EXPECT_EQ(clsFileSystem().Separator(), QStringLiteral("/")); // Native is the default
}

// Folder part, base name and a new extension make the proposed target, as
// the conversion jobs build it.
TEST(JoinPathTest, PartsRebuildTheTarget)
{
    const struct {
        Style style;
        const char* source;
        const char* target;
    } cases[] = {{Style::Windows, "C:\\docs\\report.wpd", "C:\\docs\\report.doc"},
                 {Style::Windows, "C:\\report.wpd", "C:\\report.doc"},
                 {Style::Native, "/home/ann/report.wpd", "/home/ann/report.doc"},
                 {Style::Native, "/report.wpd", "/report.doc"}};
    for (const auto& c : cases) {
        const clsFileSystem fs(c.style);
        const QString source = QString::fromUtf8(c.source);
        EXPECT_EQ(fs.JoinPath(fs.GetPath(source), fs.GetFileBaseName(source, false) + QStringLiteral(".doc")),
                  QString::fromUtf8(c.target)) << c.source;
    }
}

} // namespace
