// SPDX-License-Identifier: MPL-2.0
#include "app/CommandLine.h"

#include "platform/files/FileNames.h"
#include "platform/desktop/Program.h"

#include <algorithm>
#include <cstdio>

namespace {

const QString gProgram = QStringLiteral("tallowin");

// What --help prints.
const char kHelp[] =
    "Usage: tallowin [FILE...]\n"
    "       tallowin --convert [OPTION...] PATH...\n"
    "       tallowin --help | --version\n"
    "\n"
    "Converts WordPerfect documents (*.wpd) into Word 97 documents (.doc).\n"
    "\n"
    "Without --convert, opens the main window. Without FILE, the start chooser\n"
    "asks what to do. Each FILE given (as the desktop's \"Open With\" does) is\n"
    "opened in single-document mode, one after the other: its row in the list\n"
    "and the Save As dialog with the proposed name.\n"
    "\n"
    "  --convert          convert without windows (no display needed), with the\n"
    "                     same jobs, engine, clean-up and statuses as batch mode\n"
    "  PATH               a document, or a folder whose documents are converted;\n"
    "                     - reads the paths from standard input, one per line\n"
    "  -r, --recursive    descend the folders given (links to folders are not\n"
    "                     followed)\n"
    "  --target DIR       write the Word documents into DIR, made when missing,\n"
    "                     each at its document's place under the folder given,\n"
    "                     folders made as needed (without --target, each next\n"
    "                     to its document)\n"
    "  --base DIR         take the places under DIR from DIR, for every PATH\n"
    "                     (documents given one by one or on standard input);\n"
    "                     a document outside DIR is a usage error\n"
    "  --to FORMAT        doc (Word 97, the default), docx (Word 2007-365),\n"
    "                     odt (OpenDocument) or pdf (PDF/A-2b)\n"
    "  --skip-existing    skip a document whose Word file exists and is newer\n"
    "                     than the document (to resume a run that stopped)\n"
    "  --extensions LIST  the extensions a folder's documents have, e.g.\n"
    "                     wpd,wp,wp5,wp6 (default: wpd); a document given by\n"
    "                     name is converted whatever its extension\n"
    "  --json             print JSON Lines instead of text lines\n"
    "  -q, --quiet        no progress line and no summary\n"
    "  -h, --help         show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "--convert prints one line per document on standard output: the source,\n"
    "its status (Converted, Failed or Skipped) and the target or the reason,\n"
    "separated by tabs, with tabs, newlines, other control characters and\n"
    "backslashes in names written as \\t, \\n, \\xNN and \\\\. With --json, one\n"
    "JSON object per line with the keys \"source\", \"status\" and \"target\" or\n"
    "\"reason\"; a name that is not UTF-8 has U+FFFD for its stray bytes and\n"
    "its exact bytes in \"source_bytes\" or \"target_bytes\" (base64). On a\n"
    "terminal, a progress line goes to standard error; at the end, a summary\n"
    "line says how many documents converted, failed, were skipped and were\n"
    "left out by their extension. A Word file is never written over one that\n"
    "appeared after the run began (the document fails), so several --convert\n"
    "processes may share a target; each starts its own offices.\n"
    "\n"
    "Exit status: 0 when every document converted or was skipped,\n"
    "1 when any failed, 2 on a usage error, 3 when no office could be\n"
    "started at all.\n"
    "\n"
    "Environment: TALLOWIN_OFFICES=N sets the number of offices (default: one\n"
    "per core, as memory allows).\n"
    "\n"
    "See tallowin(1) for the files and environment the program uses.\n";

// Qt's own options (QGuiApplication and QApplication take them out of the
// arguments when the windows start): skipped here, never taken for files.
bool isQtOption(const QString& argument, bool& takesValue)
{
    static const QStringList withValue = {
        QStringLiteral("-platform"),        QStringLiteral("-platformpluginpath"),
        QStringLiteral("-platformtheme"),   QStringLiteral("-plugin"),
        QStringLiteral("-qwindowgeometry"), QStringLiteral("-qwindowicon"),
        QStringLiteral("-qwindowtitle"),    QStringLiteral("-session"),
        QStringLiteral("-display"),         QStringLiteral("-geometry"),
        QStringLiteral("-style"),           QStringLiteral("-stylesheet"),
    };
    static const QStringList flags = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount")};
    const QString name = argument.section(QLatin1Char('='), 0, 0);
    takesValue = withValue.contains(name) && name == argument;
    return withValue.contains(name) || flags.contains(argument);
}

CommandLine::Options usageError(const QString& error)
{
    CommandLine::Options options;
    options.mode = CommandLine::Mode::UsageError;
    options.error = error;
    return options;
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

QStringList CommandLine::Arguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(platform::DecodeFileName(argv[i]));
    return arguments;
}

bool CommandLine::HasDisplay(const QStringList& arguments)
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || std::any_of(arguments.begin(), arguments.end(), [](const QString& argument) {
                  return argument == QLatin1String("-platform") || argument.startsWith(QLatin1String("-platform="));
              });
}

namespace {

// The arguments as read, one by one, before they are checked together.
struct Reading {
    bool help = false;
    bool version = false;
    bool convert = false;
    ConvertOptions given;
    QStringList convertOnly; // the options given that only go with --convert, as given
    std::optional<QString> target;
    std::optional<QString> base;
    std::optional<QString> format;
    std::optional<QString> extensions;
    QStringList operands;
    QString error; // the first mistake; --help and --version still win over it
    bool optionsEnded = false;

    void fail(const QString& text)
    {
        if (error.isEmpty())
            error = text;
    }
    // Reads arguments[i] (and the value after it, which moves i on).
    void read(const QStringList& arguments, qsizetype& i);
    // An option with a value: "--name VALUE" or "--name=VALUE".
    bool valueOf(const QStringList& arguments, qsizetype& i, const char* name, const char* what,
                 std::optional<QString>& slot);
    bool flag(const QString& argument, std::initializer_list<const char*> names, bool& slot);
};

void Reading::read(const QStringList& arguments, qsizetype& i)
{
    const QString& argument = arguments[i];
    const bool isOption = !optionsEnded && argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
    if (!isOption) {
        if (argument.isEmpty())
            fail(QStringLiteral("an empty path"));
        else
            operands.append(argument);
        return;
    }
    bool qtTakesValue = false;
    if (argument == QLatin1String("--")) {
        optionsEnded = true;
    } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
        help = true;
    } else if (argument == QLatin1String("--version")) {
        version = true;
    } else if (argument == QLatin1String("--convert")) {
        convert = true;
    } else if (flag(argument, {"--json"}, given.json) || flag(argument, {"-r", "--recursive"}, given.recursive)
               || flag(argument, {"--skip-existing"}, given.skipExisting)
               || flag(argument, {"-q", "--quiet"}, given.quiet)
               || valueOf(arguments, i, "--target", "a folder", target)
               || valueOf(arguments, i, "--base", "a folder", base) || valueOf(arguments, i, "--to", "a format", format)
               || valueOf(arguments, i, "--extensions", "a list", extensions)) {
    } else if (isQtOption(argument, qtTakesValue)) {
        if (qtTakesValue)
            ++i;
    } else {
        fail(QStringLiteral("unknown option %1").arg(argument));
    }
}

bool Reading::valueOf(const QStringList& arguments, qsizetype& i, const char* name, const char* what,
                      std::optional<QString>& slot)
{
    const QString& argument = arguments[i];
    const QString option = QLatin1String(name);
    if (argument != option && !argument.startsWith(option + QLatin1Char('=')))
        return false;
    QString value;
    if (argument == option) {
        if (i + 1 >= arguments.size()) {
            fail(QStringLiteral("%1 needs %2").arg(option, QLatin1String(what)));
            return true;
        }
        value = arguments[++i];
    } else {
        value = argument.section(QLatin1Char('='), 1);
    }
    convertOnly.append(option);
    if (slot)
        fail(QStringLiteral("%1 is given more than once").arg(option));
    else if (value.isEmpty())
        fail(QStringLiteral("%1 needs %2").arg(option, QLatin1String(what)));
    slot = value;
    return true;
}

bool Reading::flag(const QString& argument, std::initializer_list<const char*> names, bool& slot)
{
    for (const char* name : names) {
        if (argument == QLatin1String(name)) {
            slot = true;
            convertOnly.append(argument);
            return true;
        }
    }
    return false;
}

// The --convert options checked together: the error, if any.
std::optional<QString> checkConvert(const Reading& reading, ConvertOptions& given)
{
    if (reading.operands.isEmpty())
        return QStringLiteral("--convert needs a PATH (or - for standard input)");
    if (reading.operands.count(QStringLiteral("-")) > 1)
        return QStringLiteral("- is given more than once");
    if (reading.base && !reading.target)
        return QStringLiteral("--base only goes with --target");
    if (reading.format) {
        given.format = Automation::FormatOfExtension(*reading.format);
        if (given.format == 0)
            return QStringLiteral("--to must be doc, docx, odt or pdf, not %1").arg(*reading.format);
    }
    if (reading.extensions) {
        for (QString extension : reading.extensions->split(QLatin1Char(','))) {
            extension = extension.trimmed();
            if (extension.startsWith(QLatin1Char('.')))
                extension.remove(0, 1);
            if (extension.isEmpty() || extension.contains(QLatin1Char('/')))
                return QStringLiteral("--extensions needs extensions separated by commas, as wpd,wp5");
            given.extensions.append(extension);
        }
    }
    return std::nullopt;
}

} // namespace

CommandLine::Options CommandLine::Parse(const QStringList& arguments, bool hasDisplay)
{
    Reading reading;
    for (qsizetype i = 0; i < arguments.size(); ++i)
        reading.read(arguments, i);

    Options options;
    if (reading.help || reading.version) {
        options.mode = reading.help ? Mode::Help : Mode::Version;
        return options;
    }
    if (!reading.error.isEmpty())
        return usageError(reading.error);
    if (!reading.convert) {
        if (!reading.convertOnly.isEmpty())
            return usageError(QStringLiteral("%1 only goes with --convert").arg(reading.convertOnly.constFirst()));
        if (reading.operands.contains(QStringLiteral("-")))
            return usageError(QStringLiteral("- (paths from standard input) only goes with --convert"));
        options.mode = hasDisplay ? Mode::Windows : Mode::NoDisplay;
        options.files = reading.operands;
        return options;
    }
    ConvertOptions given = reading.given;
    if (const std::optional<QString> error = checkConvert(reading, given))
        return usageError(*error);
    static_cast<ConvertOptions&>(options) = given;
    options.mode = Mode::Convert;
    options.paths = reading.operands;
    options.target = reading.target.value_or(QString());
    options.base = reading.base.value_or(QString());
    return options;
}

QString CommandLine::HelpText()
{
    return QString::fromUtf8(kHelp);
}

QString CommandLine::VersionText()
{
    return QStringLiteral("%1 %2.%3.%4\n")
        .arg(gProgram)
        .arg(platform::VersionMajor())
        .arg(platform::VersionMinor())
        .arg(platform::VersionRevision());
}

std::optional<int> CommandLine::AnswerAtOnce(const Options& options)
{
    switch (options.mode) {
    case Mode::Help:
        print(stdout, HelpText());
        return ExitSuccess;
    case Mode::Version:
        print(stdout, VersionText());
        return ExitSuccess;
    case Mode::UsageError:
        print(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(gProgram, options.error));
        return ExitUsage;
    case Mode::NoDisplay:
        print(stderr, QStringLiteral("%1: no display to show the windows on (DISPLAY is not set); to convert "
                                     "without windows, use %1 --convert (see %1 --help)\n")
                          .arg(gProgram));
        return ExitFailed;
    case Mode::Windows:
    case Mode::Convert:
        break;
    }
    return std::nullopt;
}
