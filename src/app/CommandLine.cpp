#include "app/CommandLine.h"

#include "platform/FileNames.h"
#include "platform/Program.h"

#include <cstdio>

namespace {

const QString gProgram = QStringLiteral("tallowin");

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

CommandLine::Options CommandLine::Parse(const QStringList& arguments)
{
    bool help = false;
    bool version = false;
    bool convert = false;
    bool json = false;
    std::optional<QString> target;
    QStringList operands;
    QString error; // the first mistake; --help and --version still win over it

    const auto fail = [&error](const QString& text) {
        if (error.isEmpty())
            error = text;
    };

    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool isOption = !optionsEnded && argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
        if (!isOption) {
            if (argument.isEmpty())
                fail(QStringLiteral("an empty path"));
            else
                operands.append(argument);
            continue;
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
        } else if (argument == QLatin1String("--json")) {
            json = true;
        } else if (argument == QLatin1String("--target") || argument.startsWith(QLatin1String("--target="))) {
            QString folder;
            if (argument == QLatin1String("--target")) {
                if (i + 1 >= arguments.size()) {
                    fail(QStringLiteral("--target needs a folder"));
                    continue;
                }
                folder = arguments[++i];
            } else {
                folder = argument.section(QLatin1Char('='), 1);
            }
            if (target)
                fail(QStringLiteral("--target is given more than once"));
            else if (folder.isEmpty())
                fail(QStringLiteral("--target needs a folder"));
            target = folder;
        } else if (isQtOption(argument, qtTakesValue)) {
            if (qtTakesValue)
                ++i;
        } else {
            fail(QStringLiteral("unknown option %1").arg(argument));
        }
    }

    Options options;
    if (help || version) {
        options.mode = help ? Mode::Help : Mode::Version;
        return options;
    }
    if (!error.isEmpty())
        return usageError(error);

    const bool readsStandardInput = operands.contains(QStringLiteral("-"));
    if (!convert) {
        if (target)
            return usageError(QStringLiteral("--target only goes with --convert"));
        if (json)
            return usageError(QStringLiteral("--json only goes with --convert"));
        if (readsStandardInput)
            return usageError(QStringLiteral("- (paths from standard input) only goes with --convert"));
        options.files = operands;
        return options;
    }
    if (operands.isEmpty())
        return usageError(QStringLiteral("--convert needs a PATH (or - for standard input)"));
    if (operands.count(QStringLiteral("-")) > 1)
        return usageError(QStringLiteral("- is given more than once"));
    options.mode = Mode::Convert;
    options.paths = operands;
    options.target = target.value_or(QString());
    options.json = json;
    return options;
}

QString CommandLine::HelpText()
{
    return QStringLiteral(
        "Usage: tallowin [FILE...]\n"
        "       tallowin --convert [--target DIR] [--json] PATH...\n"
        "       tallowin --help | --version\n"
        "\n"
        "Converts WordPerfect documents (*.wpd) into Word 97 documents (.doc).\n"
        "\n"
        "Without --convert, opens the main window. Without FILE, the start chooser\n"
        "asks what to do. Each FILE given (as the desktop's \"Open With\" does) is\n"
        "opened in single-document mode, one after the other: its row in the list\n"
        "and the Save As dialog with the proposed name.\n"
        "\n"
        "  --convert      convert without windows (no display needed), with the same\n"
        "                 jobs, engine, clean-up and statuses as batch mode\n"
        "  --target DIR   write the Word documents into DIR, made when missing\n"
        "                 (without it, each next to its document)\n"
        "  --json         print JSON Lines instead of text lines\n"
        "  PATH           a document, or a folder whose documents are converted;\n"
        "                 - reads the paths from standard input, one per line\n"
        "  -h, --help     show this help and exit\n"
        "  --version      show the version and exit\n"
        "\n"
        "--convert prints one line per document on standard output: the source,\n"
        "its status (Converted or Failed) and the target or the reason, separated\n"
        "by tabs; with --json, one JSON object per line with the keys \"source\",\n"
        "\"status\" and \"target\" or \"reason\". While it runs, a progress line goes\n"
        "to standard error when that is a terminal. Several --convert processes\n"
        "may run at once, each with its own office.\n"
        "\n"
        "Exit status: 0 when every document converted, 1 when any failed,\n"
        "2 on a usage error.\n"
        "\n"
        "See tallowin(1) for the files and environment the program uses.\n");
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
    case Mode::Windows:
    case Mode::Convert:
        break;
    }
    return std::nullopt;
}
