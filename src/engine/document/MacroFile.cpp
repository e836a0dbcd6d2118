// SPDX-License-Identifier: MPL-2.0
#include "engine/document/MacroFile.h"

#include "platform/files/FileNames.h"
#include "platform/automation/RuntimeError.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::RuntimeError;

namespace engine {

namespace {

const QString kSource = QStringLiteral("Office engine");
constexpr qint64 kMaxMacroBytes = 1024 * 1024;

[[noreturn]] void invalid(const QString& name, int line, const QString& why)
{
    throw RuntimeError(RuntimeError::InvalidProcedureCall,
                       QStringLiteral("The macro %1 is not valid (line %2): %3").arg(name).arg(line).arg(why),
                       kSource);
}

// Splits one line into words and quoted texts. Quoted texts come back with
// `quoted` set.
struct Token {
    QString text;
    bool quoted = false;
};

QList<Token> tokenize(const QString& line, const QString& name, int number)
{
    QList<Token> tokens;
    int i = 0;
    const int n = line.size();
    while (i < n) {
        if (line[i].isSpace()) {
            ++i;
            continue;
        }
        Token token;
        if (line[i] == QLatin1Char('"')) {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == QLatin1Char('"')) {
                    if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                        token.text += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                token.text += line[i++];
            }
            if (!closed)
                invalid(name, number, QStringLiteral("a text has no closing quote"));
            if (i < n && !line[i].isSpace())
                invalid(name, number, QStringLiteral("a text must be followed by a space"));
        } else {
            while (i < n && !line[i].isSpace() && line[i] != QLatin1Char('"'))
                token.text += line[i++];
        }
        tokens.append(token);
    }
    return tokens;
}

} // namespace

MacroFile MacroFile::Load(const QString& path)
{
    const QByteArray native = platform::EncodeFileName(path);
    // Opened without blocking, then checked: a FIFO under the macro's name
    // must not hold the program.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        throw RuntimeError(err == ENOENT ? RuntimeError::FileNotFound : RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot read the macro %1: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(err))),
                           kSource);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("Cannot read the macro %1: it is not a regular file").arg(path), kSource);
    }
    if (info.st_size > kMaxMacroBytes) {
        ::close(fd);
        throw RuntimeError(RuntimeError::InvalidProcedureCall,
                           QStringLiteral("The macro %1 is too large (%2 bytes)").arg(path).arg(info.st_size),
                           kSource);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot read the macro %1: %2").arg(path, file.errorString()), kSource);
    }
    const QByteArray bytes = file.read(kMaxMacroBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot read the macro %1: %2").arg(path, file.errorString()), kSource);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw RuntimeError(RuntimeError::InvalidProcedureCall,
                           QStringLiteral("The macro %1 is not valid: it is not UTF-8 text").arg(path), kSource);
    return Parse(text, path);
}

namespace {

// The first line that is not blank or a comment: TALLOWIN MACRO 1.
void checkHeader(const QList<Token>& tokens, const QString& name, int number)
{
    if (tokens.size() != 3 || tokens[0].quoted || tokens[1].quoted || tokens[2].quoted
        || tokens[0].text.compare(QStringLiteral("TALLOWIN"), Qt::CaseInsensitive) != 0
        || tokens[1].text.compare(QStringLiteral("MACRO"), Qt::CaseInsensitive) != 0)
        invalid(name, number, QStringLiteral("the first line must be \"TALLOWIN MACRO 1\""));
    if (tokens[2].text != QStringLiteral("1"))
        invalid(name, number, QStringLiteral("macro format version %1 is not supported").arg(tokens[2].text));
}

// A command line: REPLACE [REGEX] "find" "replacement" or DELETE [REGEX] "find".
MacroFile::Command command(const QList<Token>& tokens, const QString& name, int number)
{
    if (tokens[0].quoted)
        invalid(name, number, QStringLiteral("a command must start with its name"));
    const QString verb = tokens[0].text.toUpper();
    const bool replace = verb == QStringLiteral("REPLACE");
    if (!replace && verb != QStringLiteral("DELETE"))
        invalid(name, number, QStringLiteral("unknown command %1").arg(tokens[0].text));
    int next = 1;
    MacroFile::Command command;
    if (next < tokens.size() && !tokens[next].quoted) {
        if (tokens[next].text.compare(QStringLiteral("REGEX"), Qt::CaseInsensitive) != 0)
            invalid(name, number, QStringLiteral("unknown option %1").arg(tokens[next].text));
        command.regex = true;
        ++next;
    }
    const int texts = replace ? 2 : 1;
    if (tokens.size() - next != texts)
        invalid(name, number, QStringLiteral("%1 takes %2 quoted text(s)").arg(verb).arg(texts));
    for (int t = next; t < tokens.size(); ++t)
        if (!tokens[t].quoted)
            invalid(name, number, QStringLiteral("%1 is not a quoted text").arg(tokens[t].text));
    command.find = tokens[next].text;
    if (replace)
        command.replacement = tokens[next + 1].text;
    if (command.find.isEmpty())
        invalid(name, number, QStringLiteral("the text to find is empty"));
    if (command.regex) {
        const QRegularExpression check(command.find);
        if (!check.isValid())
            invalid(name, number, QStringLiteral("the regular expression is not valid: %1").arg(check.errorString()));
    }
    return command;
}

} // namespace

MacroFile MacroFile::Parse(const QString& text, const QString& name)
{
    MacroFile macro;
    bool headerSeen = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int index = 0; index < lines.size(); ++index) {
        const int number = index + 1;
        QString line = lines[index];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (index == 0 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        const QList<Token> tokens = tokenize(trimmed, name, number);
        if (headerSeen)
            macro.mCommands.append(command(tokens, name, number));
        else
            checkHeader(tokens, name, number);
        headerSeen = true;
    }
    if (!headerSeen)
        invalid(name, lines.size(), QStringLiteral("the header \"TALLOWIN MACRO 1\" is missing"));
    return macro;
}

} // namespace engine
