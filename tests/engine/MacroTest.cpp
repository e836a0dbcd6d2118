// SPDX-License-Identifier: MPL-2.0
// The engine's clean-up macros: the file format, and playing them on an
// open document.
#include "EngineTestSupport.h"

#include "engine/document/MacroFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <sys/stat.h>

using namespace enginetest;
using engine::MacroFile;
using platform::RuntimeError;
using platform::Value;

namespace {

using Command = MacroFile::Command;

TEST(MacroFileTest, ValidMacrosParseIntoTheirCommands)
{
    struct Case {
        const char* text;
        QList<Command> commands;
    };
    const QList<Case> cases{
        {"TALLOWIN MACRO 1\n", {}},
        {"; comment first\n\n  tallowin macro 1  \r\n; and after\n", {}},
        {"\xEF\xBB\xBFTALLOWIN MACRO 1\nREPLACE \"a\" \"b\"\n", {{"a", "b", false}}},
        {"TALLOWIN MACRO 1\nreplace regex \"x(\\d+)\" \"y$1\"\n", {{"x(\\d+)", "y$1", true}}},
        {"TALLOWIN MACRO 1\nDELETE \"[Dly]\"\nDelete Regex \"\\s+$\"\n",
         {{"[Dly]", "", false}, {"\\s+$", "", true}}},
        {"TALLOWIN MACRO 1\nREPLACE \"say \"\"hi\"\"\" \"\"\n", {{"say \"hi\"", "", false}}},
        {"TALLOWIN MACRO 1\nREPLACE \"Grüße ✓\" \"ok ; not a comment\"\n", {{"Grüße ✓", "ok ; not a comment", false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const MacroFile macro = MacroFile::Parse(QString::fromUtf8(c.text), QStringLiteral("m.wcm"));
        EXPECT_EQ(macro.commands(), c.commands);
    }
}

TEST(MacroFileTest, InvalidMacrosNameTheFileAndLine)
{
    struct Case {
        const char* text;
        const char* expected; // part of the description
    };
    const QList<Case> cases{
        {"", "line 1"},
        {"; only a comment\n", "header"},
        {"REPLACE \"a\" \"b\"\n", "line 1"},
        {"TALLOWIN MACRO 2\n", "version 2"},
        {"TALLOWIN MACRO\n", "line 1"},
        {"TALLOWIN MACRO 1\nFROB \"a\"\n", "unknown command FROB"},
        {"TALLOWIN MACRO 1\nREPLACE \"a\"\n", "line 2"},
        {"TALLOWIN MACRO 1\nREPLACE \"a\" \"b\" \"c\"\n", "line 2"},
        {"TALLOWIN MACRO 1\nREPLACE a b\n", "line 2"},
        {"TALLOWIN MACRO 1\nREPLACE \"a\" \"b\n", "no closing quote"},
        {"TALLOWIN MACRO 1\nREPLACE \"a\"\"b\"x \"c\"\n", "line 2"},
        {"TALLOWIN MACRO 1\nDELETE \"\"\n", "empty"},
        {"TALLOWIN MACRO 1\nDELETE REGEX \"(\"\n", "regular expression"},
        {"TALLOWIN MACRO 1\nDELETE FAST \"a\"\n", "unknown option FAST"},
        {"TALLOWIN MACRO 1\n\"REPLACE\" \"a\" \"b\"\n", "line 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto e = FailureOf([&] { MacroFile::Parse(QString::fromUtf8(c.text), QStringLiteral("/m/x.wcm")); });
        EXPECT_TRUE(Says(e, QStringLiteral("/m/x.wcm")));
        EXPECT_TRUE(Says(e, QString::fromUtf8(c.expected)));
    }
}

TEST(MacroFileTest, TheShippedMacroIsValid)
{
    const MacroFile macro = MacroFile::Load(MacroPath());
    // Delay codes leave nothing in the imported document (see its comment).
    EXPECT_TRUE(macro.commands().isEmpty());
}

class MacroPlayTest : public EngineTest {
protected:
    void TearDown() override { CloseQuietly(SharedServer()); }
};

TEST_F(MacroPlayTest, MacroFilesThatCannotBePlayedFailBeforeTheDocumentIsTouched)
{
    const QString fifo = path(QStringLiteral("fifo.wcm"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = path(QStringLiteral("folder.wcm"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString invalid = path(QStringLiteral("invalid.wcm"));
    WriteFile(invalid, "REPLACE \"AND\" \"OR\"\n");
    const QString binary = path(QStringLiteral("binary.wcm"));
    WriteFile(binary, QByteArray("TALLOWIN MACRO 1\n\xC3\x28\xFF\n"));
    const QString huge = path(QStringLiteral("huge.wcm"));
    WriteFile(huge, "TALLOWIN MACRO 1\n" + QByteArray(2 * 1024 * 1024, ';'));

    const QString source = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("a.wpd"));
    Call(SharedServer(), QStringLiteral("FileOpen"), {source});
    for (const QString& macro : {path(QStringLiteral("missing.wcm")), fifo, folder, invalid, binary, huge}) {
        SCOPED_TRACE(macro.toStdString());
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(Says(FailureOf([&] { Call(SharedServer(), QStringLiteral("MacroFilePlay"), {macro}); }), macro));
        EXPECT_LT(clock.elapsed(), 5000);
    }
    Call(SharedServer(), QStringLiteral("FileSave"), {path(QStringLiteral("a.doc")), Value(69)});
    EXPECT_TRUE(WordText(path(QStringLiteral("a.doc"))).contains(QStringLiteral("AND FURTHER")));
}

// Through the calls of a conversion job: the Word document and the plain
// text copy (which the program creates empty first) both show the changes.
TEST_F(MacroPlayTest, CommandsChangeTheDocumentAndItsCopyBeforeTheyAreSaved)
{
    const QString macro = path(QStringLiteral("clean.wcm"));
    WriteFile(macro, "; test macro\n"
                     "TALLOWIN MACRO 1\n"
                     "REPLACE \"AND FURTHER\" \"AND MOREOVER\"\n"
                     "REPLACE REGEX \"test(\\d)-(\\d)\" \"trial$2.$1\"\n"
                     "DELETE \"APPENDIX\"\n");
    const QString source = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("a.wpd"));
    const QByteArray before = Digest(source);
    const QString copy = path(QStringLiteral("COPY.TMP"));
    WriteFile(copy, {});
    Call(SharedServer(), QStringLiteral("FileOpen"), {source});
    ASSERT_EQ(Call(SharedServer(), QStringLiteral("envDocBlank")).toInteger(), 0); // reads the text
    Call(SharedServer(), QStringLiteral("PosDocVeryTop"));
    Call(SharedServer(), QStringLiteral("MacroFilePlay"), {macro});
    EXPECT_EQ(Call(SharedServer(), QStringLiteral("envMacroPlaying")), Value(false));
    Call(SharedServer(), QStringLiteral("FileSave"), {copy});
    Call(SharedServer(), QStringLiteral("FileSave"), {path(QStringLiteral("a.doc")), Value(69)});
    for (const QString& text : {QString::fromLocal8Bit(ReadFile(copy)), WordText(path(QStringLiteral("a.doc")))}) {
        EXPECT_TRUE(text.contains(QStringLiteral("AND MOREOVER"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("trial2.1"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("AND FURTHER")));
        EXPECT_FALSE(text.contains(QStringLiteral("APPENDIX")));
    }
    EXPECT_EQ(Digest(source), before);
}

TEST_F(MacroPlayTest, OperationsOnNoDocumentFail)
{
    Call(SharedServer(), QStringLiteral("CloseNoSave")); // nothing open: nothing to do
    const QList<QPair<QString, QList<Value>>> calls{
        {QStringLiteral("envDocBlank"), {}},
        {QStringLiteral("PosDocVeryTop"), {}},
        {QStringLiteral("MacroFilePlay"), {MacroPath()}},
        {QStringLiteral("FileSave"), {path(QStringLiteral("x.txt"))}},
        {QStringLiteral("FileSave"), {path(QStringLiteral("x.doc")), Value(69)}},
    };
    for (const auto& [member, args] : calls) {
        SCOPED_TRACE(member.toStdString());
        const auto e = FailureOf([&] { Call(SharedServer(), member, args); });
        EXPECT_TRUE(Says(e, QStringLiteral("no document is open")));
    }
    EXPECT_EQ(Entries(mDir.path()), QStringList());
}

} // namespace
