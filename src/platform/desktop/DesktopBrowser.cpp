// SPDX-License-Identifier: MPL-2.0
#include "platform/desktop/DesktopBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

namespace platform {

namespace {

// How long the desktop's tools may take to answer.
constexpr int kQueryTimeoutMs = 5000;

QString RunQuery(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(kQueryTimeoutMs))
        return QString();
    if (!process.waitForFinished(kQueryTimeoutMs)) {
        process.kill();
        process.waitForFinished(kQueryTimeoutMs);
        return QString();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    const QString answer = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    // One entry id, nothing else: a name with a folder in it is not an id.
    if (!answer.endsWith(QLatin1String(".desktop")) || answer.contains(QLatin1Char('/'))
        || answer.contains(QLatin1Char('\n')))
        return QString();
    return answer;
}

// Resolves the escapes of a desktop-file string value.
QString Unescape(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's': out.append(QLatin1Char(' ')); break;
        case 'n': out.append(QLatin1Char('\n')); break;
        case 't': out.append(QLatin1Char('\t')); break;
        case 'r': out.append(QLatin1Char('\r')); break;
        case '\\': out.append(QLatin1Char('\\')); break;
        default:
            out.append(QLatin1Char('\\'));
            out.append(next);
            break;
        }
    }
    return out;
}

} // namespace

std::optional<BrowserCommand> DesktopBrowser::defaultBrowser(const QString& address)
{
    const QString entry = QueryDefaultEntry();
    if (entry.isEmpty())
        return std::nullopt;
    const QString file = FindEntryFile(entry, DataDirs());
    if (file.isEmpty())
        return std::nullopt;
    return ExpandExec(ReadExec(file), address);
}

bool DesktopBrowser::startDetached(const BrowserCommand& command)
{
    if (command.program.isEmpty())
        return false;
    return QProcess::startDetached(command.program, command.arguments);
}

QString DesktopBrowser::QueryDefaultEntry()
{
    QString entry = RunQuery(QStringLiteral("xdg-settings"),
                             {QStringLiteral("get"), QStringLiteral("default-web-browser")});
    if (entry.isEmpty())
        entry = RunQuery(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                                      QStringLiteral("x-scheme-handler/http")});
    return entry;
}

QStringList DesktopBrowser::DataDirs()
{
    QStringList dirs;
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    dirs.append(home.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : home);
    QString system = qEnvironmentVariable("XDG_DATA_DIRS");
    if (system.isEmpty())
        system = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& dir : system.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs.append(dir);
    return dirs;
}

QString DesktopBrowser::FindEntryFile(const QString& entryId, const QStringList& dataDirs)
{
    if (entryId.isEmpty() || entryId.contains(QLatin1Char('/')) || entryId.startsWith(QLatin1Char('.')))
        return QString();
    QStringList names{entryId};
    if (entryId.contains(QLatin1Char('-')))
        names.append(QString(entryId).replace(QLatin1Char('-'), QLatin1Char('/')));
    for (const QString& dir : dataDirs) {
        for (const QString& name : names) {
            const QString path = dir + QStringLiteral("/applications/") + name;
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return QString();
}

QString DesktopBrowser::ReadExec(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&f);
    bool inMainGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup || !line.startsWith(QLatin1String("Exec")))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed() != QLatin1String("Exec"))
            continue;
        return Unescape(line.mid(eq + 1).trimmed());
    }
    return QString();
}

namespace {

// An Exec value read into its words: blanks split them, double quotes hold
// blanks and backslash escapes, and the field codes are replaced or dropped.
struct ExecWords
{
    const QString& exec;
    const QString& address;
    QStringList words {};
    QString word {};
    bool hasWord = false; // a word is under way (possibly empty: "")
    bool quoted = false;
    bool addressPlaced = false;

    void finishWord();
    void fieldCode(QChar code);
    void read();
};

void ExecWords::finishWord()
{
    if (hasWord)
        words.append(word);
    word.clear();
    hasWord = false;
}

void ExecWords::fieldCode(QChar code)
{
    switch (code.unicode()) {
    case '%':
        word.append(QLatin1Char('%'));
        hasWord = true;
        break;
    case 'u':
    case 'U':
    case 'f':
    case 'F':
        if (!addressPlaced) {
            // Inserted as it is: the address is never split or
            // interpreted, whatever characters it holds.
            word.append(address);
            hasWord = true;
            addressPlaced = true;
        }
        break;
    default:
        break; // %i, %c, %k and the deprecated codes: dropped
    }
}

void ExecWords::read()
{
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else
                word.append(c == QLatin1Char('\\') && i + 1 < exec.size() ? exec.at(++i) : c);
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            finishWord();
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            hasWord = true;
        } else if (c == QLatin1Char('%') && i + 1 < exec.size()) {
            fieldCode(exec.at(++i));
        } else {
            word.append(c);
            hasWord = true;
        }
    }
    finishWord();
}

} // namespace

std::optional<BrowserCommand> DesktopBrowser::ExpandExec(const QString& exec, const QString& address)
{
    ExecWords reading{exec, address};
    reading.read();
    if (reading.quoted || reading.words.isEmpty() || reading.words.constFirst().isEmpty())
        return std::nullopt;
    BrowserCommand command;
    command.program = reading.words.takeFirst();
    command.arguments = reading.words;
    if (!reading.addressPlaced)
        command.arguments.append(address);
    return command;
}

} // namespace platform
