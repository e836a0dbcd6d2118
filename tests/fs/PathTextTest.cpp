// Path texts in both styles: the Windows examples as written, and the same
// rules natively with "/".
#include "fs/clsFileSystem.h"
#include "QStringPrinter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

namespace {

using Style = clsFileSystem::PathStyle;

struct TextCase {
    Style style;
    const char* input;
    const char* expected;
};

std::ostream& operator<<(std::ostream& out, const TextCase& c)
{
    return out << (c.style == Style::Windows ? "Windows " : "Native ") << '"' << c.input << '"';
}

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

// --- GetFileExtension ------------------------------------------------------

class GetFileExtensionTest : public testing::TestWithParam<TextCase> {};

TEST_P(GetFileExtensionTest, FindsTheExtensionByPosition)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(clsFileSystem(c.style).GetFileExtension(Q(c.input)), Q(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Windows, GetFileExtensionTest, testing::Values(
    TextCase{Style::Windows, "report.wpd", "wpd"},
    TextCase{Style::Windows, "a.b", "b"},
    TextCase{Style::Windows, "page.html", "html"},
    TextCase{Style::Windows, "archive.tar.gz", "gz"},
    TextCase{Style::Windows, "data.backup", "Unknown"},
    TextCase{Style::Windows, "name.", "Unknown"},
    TextCase{Style::Windows, "a.TXT", "TXT"},
    TextCase{Style::Windows, "", "Unknown"},
    TextCase{Style::Windows, "C:\\x.y\\ab", "y\\ab"},
    TextCase{Style::Windows, "C:\\docs\\report.wpd", "wpd"},
    // Shorter than the position tested: the first character is tested.
    TextCase{Style::Windows, ".a", "a"},
    TextCase{Style::Windows, ".wpd", "wpd"},
    TextCase{Style::Windows, "ab", "Unknown"},
    TextCase{Style::Windows, "x", "Unknown"}));

INSTANTIATE_TEST_SUITE_P(Native, GetFileExtensionTest, testing::Values(
    TextCase{Style::Native, "report.wpd", "wpd"},
    TextCase{Style::Native, "a.b", "b"},
    TextCase{Style::Native, "page.html", "html"},
    TextCase{Style::Native, "archive.tar.gz", "gz"},
    TextCase{Style::Native, "data.backup", "Unknown"},
    TextCase{Style::Native, "name.", "Unknown"},
    TextCase{Style::Native, "a.TXT", "TXT"},
    TextCase{Style::Native, "", "Unknown"},
    TextCase{Style::Native, "/x.y/ab", "y/ab"},
    TextCase{Style::Native, "/home/ann/report.wpd", "wpd"},
    TextCase{Style::Native, ".a", "a"},
    TextCase{Style::Native, "ab", "Unknown"}));

// --- GetFileBaseName -------------------------------------------------------

class GetFileBaseNameTest : public testing::TestWithParam<TextCase> {};

TEST_P(GetFileBaseNameTest, WithoutPath)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(clsFileSystem(c.style).GetFileBaseName(Q(c.input), false), Q(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Windows, GetFileBaseNameTest, testing::Values(
    TextCase{Style::Windows, "C:\\docs\\report.wpd", "report"},
    TextCase{Style::Windows, "C:\\docs\\archive.tar.gz", "archive.tar"},
    TextCase{Style::Windows, "C:\\docs\\README", "README"},
    TextCase{Style::Windows, "C:\\docs.old\\README", "README"},
    TextCase{Style::Windows, "C:report.wpd", "report"},
    TextCase{Style::Windows, "C:\\docs\\.profile", ""},
    TextCase{Style::Windows, "report.wpd", "report"},
    TextCase{Style::Windows, "", ""},
    TextCase{Style::Windows, "C:\\docs\\", ""},
    // "/" is an ordinary character in Windows style.
    TextCase{Style::Windows, "docs/report.wpd", "docs/report"}));

INSTANTIATE_TEST_SUITE_P(Native, GetFileBaseNameTest, testing::Values(
    TextCase{Style::Native, "/docs/report.wpd", "report"},
    TextCase{Style::Native, "/docs/archive.tar.gz", "archive.tar"},
    TextCase{Style::Native, "/docs/README", "README"},
    TextCase{Style::Native, "/docs.old/README", "README"},
    TextCase{Style::Native, "/docs/.profile", ""},
    TextCase{Style::Native, "report.wpd", "report"},
    TextCase{Style::Native, "", ""},
    TextCase{Style::Native, "/docs/", ""},
    // Natively neither ":" nor "\" separates anything.
    TextCase{Style::Native, "C:report.wpd", "C:report"},
    TextCase{Style::Native, "/docs/a\\b.wpd", "a\\b"}));

class GetFileBaseNameWithPathTest : public testing::TestWithParam<TextCase> {};

TEST_P(GetFileBaseNameWithPathTest, WithPath)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(clsFileSystem(c.style).GetFileBaseName(Q(c.input), true), Q(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Windows, GetFileBaseNameWithPathTest, testing::Values(
    TextCase{Style::Windows, "C:\\docs\\report.wpd", "C:\\docs\\report"},
    TextCase{Style::Windows, "C:\\docs\\README", "C:\\docs\\README"},
    // The dot of a folder name is not an extension.
    TextCase{Style::Windows, "C:\\docs.old\\README", "C:\\docs.old\\README"},
    TextCase{Style::Windows, "C:\\docs\\archive.tar.gz", "C:\\docs\\archive.tar"}));

INSTANTIATE_TEST_SUITE_P(Native, GetFileBaseNameWithPathTest, testing::Values(
    TextCase{Style::Native, "/docs/report.wpd", "/docs/report"},
    TextCase{Style::Native, "/docs/README", "/docs/README"},
    TextCase{Style::Native, "/docs.old/README", "/docs.old/README"},
    TextCase{Style::Native, "/docs/archive.tar.gz", "/docs/archive.tar"}));

// --- GetFileName -----------------------------------------------------------

class GetFileNameTest : public testing::TestWithParam<TextCase> {};

TEST_P(GetFileNameTest, PartAfterTheLastSeparator)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(clsFileSystem(c.style).GetFileName(Q(c.input)), Q(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Windows, GetFileNameTest, testing::Values(
    TextCase{Style::Windows, "C:\\docs\\report.wpd", "report.wpd"},
    TextCase{Style::Windows, "C:\\docs\\", ""},
    TextCase{Style::Windows, "C:\\report.wpd", "report.wpd"},
    TextCase{Style::Windows, "\\\\server\\share\\a.wpd", "a.wpd"},
    TextCase{Style::Windows, "C:\\docs/report.wpd", "docs/report.wpd"}));

INSTANTIATE_TEST_SUITE_P(Native, GetFileNameTest, testing::Values(
    TextCase{Style::Native, "/docs/report.wpd", "report.wpd"},
    TextCase{Style::Native, "/docs/", ""},
    // A file in the root folder: the separator is the first character.
    TextCase{Style::Native, "/report.wpd", "report.wpd"},
    TextCase{Style::Native, "/docs/a\\b.wpd", "a\\b.wpd"},
    TextCase{Style::Native, "report.wpd", "report.wpd"}));

// --- GetPath ---------------------------------------------------------------

class GetPathTest : public testing::TestWithParam<TextCase> {};

TEST_P(GetPathTest, FolderPartWithItsSeparator)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(clsFileSystem(c.style).GetPath(Q(c.input)), Q(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Windows, GetPathTest, testing::Values(
    TextCase{Style::Windows, "C:\\docs\\report.wpd", "C:\\docs\\"},
    TextCase{Style::Windows, "C:\\report.wpd", "C:\\"},
    TextCase{Style::Windows, "report.wpd", "\\"},
    TextCase{Style::Windows, "", "\\"},
    TextCase{Style::Windows, "C:\\a\\b\\c\\d.wpd", "C:\\a\\b\\c\\"},
    TextCase{Style::Windows, "C:\\docs\\", "C:\\docs\\"},
    TextCase{Style::Windows, "/docs/report.wpd", "\\"}));

INSTANTIATE_TEST_SUITE_P(Native, GetPathTest, testing::Values(
    TextCase{Style::Native, "/docs/report.wpd", "/docs/"},
    TextCase{Style::Native, "/report.wpd", "/"},
    TextCase{Style::Native, "report.wpd", "/"},
    TextCase{Style::Native, "", "/"},
    TextCase{Style::Native, "/a/b/c/d.wpd", "/a/b/c/"},
    TextCase{Style::Native, "/docs/", "/docs/"},
    TextCase{Style::Native, "C:\\docs\\report.wpd", "/"}));

// --- JoinPath --------------------------------------------------------------

struct JoinCase {
    Style style;
    const char* folder;
    const char* name;
    const char* expected;
};

std::ostream& operator<<(std::ostream& out, const JoinCase& c)
{
    return out << (c.style == Style::Windows ? "Windows " : "Native ") << '"' << c.folder << "\" + \"" << c.name << '"';
}

class JoinPathTest : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinPathTest, ExactlyOneSeparator)
{
    const JoinCase& c = GetParam();
    EXPECT_EQ(clsFileSystem(c.style).JoinPath(Q(c.folder), Q(c.name)), Q(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Windows, JoinPathTest, testing::Values(
    JoinCase{Style::Windows, "C:\\", "a.wpd", "C:\\a.wpd"},
    JoinCase{Style::Windows, "C:\\docs", "a.wpd", "C:\\docs\\a.wpd"},
    JoinCase{Style::Windows, "C:\\docs\\", "a.wpd", "C:\\docs\\a.wpd"},
    JoinCase{Style::Windows, "C:", "a.wpd", "C:\\a.wpd"},
    JoinCase{Style::Windows, "", "a.wpd", "a.wpd"}));

INSTANTIATE_TEST_SUITE_P(Native, JoinPathTest, testing::Values(
    JoinCase{Style::Native, "/", "a.wpd", "/a.wpd"},
    JoinCase{Style::Native, "/docs", "a.wpd", "/docs/a.wpd"},
    JoinCase{Style::Native, "/docs/", "a.wpd", "/docs/a.wpd"},
    // A trailing "\" is part of a folder's name natively.
    JoinCase{Style::Native, "/docs\\", "a.wpd", "/docs\\/a.wpd"},
    JoinCase{Style::Native, "", "a.wpd", "a.wpd"}));

TEST(PathStyleTest, NativeIsTheDefault)
{
    EXPECT_EQ(clsFileSystem().Style(), Style::Native);
    EXPECT_EQ(clsFileSystem().Separator(), QStringLiteral("/"));
    EXPECT_EQ(clsFileSystem(Style::Windows).Separator(), QStringLiteral("\\"));
}

// The results fit together the way the conversion jobs use them: folder part,
// base name and a new extension make the proposed target.
TEST(PathStyleTest, PartsRebuildTheTarget)
{
    for (const auto& [style, path, target] : {
             std::tuple{Style::Windows, "C:\\docs\\report.wpd", "C:\\docs\\report.doc"},
             std::tuple{Style::Native, "/home/ann/report.wpd", "/home/ann/report.doc"},
             std::tuple{Style::Native, "/report.wpd", "/report.doc"}}) {
        const clsFileSystem fs(style);
        const QString p = Q(path);
        EXPECT_EQ(fs.JoinPath(fs.GetPath(p), fs.GetFileBaseName(p, false) + QStringLiteral(".doc")), Q(target)) << path;
    }
}

} // namespace
