// SPDX-License-Identifier: MPL-2.0
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

class PathTextTest : public testing::TestWithParam<std::tuple<Style, TextCase>> {};

TEST_P(PathTextTest, Text)
{
    const auto& [style, c] = GetParam();
    EXPECT_EQ(Apply(clsFileSystem(style), c.op, QString::fromUtf8(c.input)), QString::fromUtf8(c.expected));
}

// Names without a folder read alike in both styles.
const TextCase kBothStyles[] = {
    {Op::Extension, "report.wpd", "wpd"}, {Op::Extension, "a.b", "b"}, {Op::Extension, "page.html", "html"},
    {Op::Extension, "archive.tar.gz", "gz"}, {Op::Extension, "data.backup", "Unknown"},
    {Op::Extension, "name.", "Unknown"}, {Op::Extension, "a.TXT", "TXT"}, {Op::Extension, "", "Unknown"},
    // Shorter than the position tested: the first character is tested.
    {Op::Extension, ".a", "a"}, {Op::BaseName, "report.wpd", "report"},
};

const TextCase kWindows[] = {
    {Op::Extension, "C:\\x.y\\ab", "y\\ab"}, {Op::Extension, ".wpd", "wpd"}, {Op::Extension, "ab", "Unknown"},

    {Op::BaseName, "C:\\docs\\report.wpd", "report"}, {Op::BaseName, "C:\\docs\\archive.tar.gz", "archive.tar"},
    {Op::BaseName, "C:\\docs\\README", "README"}, {Op::BaseName, "C:\\docs.old\\README", "README"},
    {Op::BaseName, "C:report.wpd", "report"}, {Op::BaseName, "C:\\docs\\.profile", ""}, {Op::BaseName, "", ""},
    {Op::BaseName, "docs/report.wpd", "docs/report"}, // "/" is an ordinary character here
    {Op::BaseNameWithPath, "C:\\docs\\report.wpd", "C:\\docs\\report"},
    {Op::BaseNameWithPath, "C:\\docs\\README", "C:\\docs\\README"},
    {Op::BaseNameWithPath, "C:\\docs.old\\README", "C:\\docs.old\\README"},

    {Op::FileName, "C:\\docs\\report.wpd", "report.wpd"}, {Op::FileName, "C:\\docs\\", ""},
    {Op::FileName, "C:\\report.wpd", "report.wpd"}, {Op::FileName, "C:\\docs/report.wpd", "docs/report.wpd"},

    {Op::Path, "C:\\docs\\report.wpd", "C:\\docs\\"}, {Op::Path, "C:\\report.wpd", "C:\\"},
    {Op::Path, "report.wpd", "\\"}, {Op::Path, "", "\\"}, {Op::Path, "C:\\a\\b\\c\\d.wpd", "C:\\a\\b\\c\\"},
    {Op::Path, "C:\\docs\\", "C:\\docs\\"}, {Op::Path, "/docs/report.wpd", "\\"},
};

const TextCase kNative[] = {
    {Op::Extension, "/x.y/ab", "y/ab"},

    {Op::BaseName, "/docs/report.wpd", "report"}, {Op::BaseName, "/docs/archive.tar.gz", "archive.tar"},
    {Op::BaseName, "/docs/README", "README"}, {Op::BaseName, "/docs.old/README", "README"},
    {Op::BaseName, "/docs/.profile", ""},
    // Natively neither ":" nor "\\" separates anything.
    {Op::BaseName, "C:report.wpd", "C:report"}, {Op::BaseName, "/docs/a\\b.wpd", "a\\b"},
    {Op::BaseNameWithPath, "/docs/report.wpd", "/docs/report"}, {Op::BaseNameWithPath, "/docs/README", "/docs/README"},
    {Op::BaseNameWithPath, "/docs.old/README", "/docs.old/README"},

    {Op::FileName, "/docs/report.wpd", "report.wpd"}, {Op::FileName, "/docs/", ""},
    {Op::FileName, "/report.wpd", "report.wpd"}, // a file in the root folder
    {Op::FileName, "/docs/a\\b.wpd", "a\\b.wpd"},

    {Op::Path, "/docs/report.wpd", "/docs/"}, {Op::Path, "/report.wpd", "/"}, {Op::Path, "report.wpd", "/"},
    {Op::Path, "", "/"}, {Op::Path, "/a/b/c/d.wpd", "/a/b/c/"}, {Op::Path, "C:\\docs\\report.wpd", "/"},
};

INSTANTIATE_TEST_SUITE_P(Both, PathTextTest,
                         testing::Combine(testing::Values(Style::Windows, Style::Native), testing::ValuesIn(kBothStyles)));
INSTANTIATE_TEST_SUITE_P(Windows, PathTextTest, testing::Combine(testing::Values(Style::Windows), testing::ValuesIn(kWindows)));
INSTANTIATE_TEST_SUITE_P(Native, PathTextTest, testing::Combine(testing::Values(Style::Native), testing::ValuesIn(kNative)));

// Exactly one separator; and the folder part, base name and a new extension
// make the proposed target, as the conversion jobs build it.
TEST(JoinPathTest, ExactlyOneSeparatorAndThePartsRebuildTheTarget)
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

    const struct {
        Style style;
        const char* source;
        const char* target;
    } rebuilt[] = {{Style::Windows, "C:\\docs\\report.wpd", "C:\\docs\\report.doc"},
                 {Style::Windows, "C:\\report.wpd", "C:\\report.doc"},
                 {Style::Native, "/home/ann/report.wpd", "/home/ann/report.doc"},
                 {Style::Native, "/report.wpd", "/report.doc"}};
    for (const auto& c : rebuilt) {
        const clsFileSystem fs(c.style);
        const QString source = QString::fromUtf8(c.source);
        EXPECT_EQ(fs.JoinPath(fs.GetPath(source), fs.GetFileBaseName(source, false) + QStringLiteral(".doc")),
                  QString::fromUtf8(c.target)) << c.source;
    }
}

} // namespace
