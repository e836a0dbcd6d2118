// SPDX-License-Identifier: MPL-2.0
#include "app/ResultPrinter.h"

#include "core/DocumentList.h"
#include "platform/files/FileNames.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

void write(std::FILE* stream, const QByteArray& bytes, bool flush = true)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    if (flush)
        std::fflush(stream);
}

// `name` as valid text: U+FFFD for each byte that is not UTF-8.
QString validText(const QString& name)
{
    return QString::fromUtf8(platform::EncodeFileName(name));
}

// Adds `key` with `name` and, for a name that is not UTF-8, its bytes.
void insertName(QJsonObject& line, const QString& key, const QString& name)
{
    line.insert(key, validText(name));
    if (platform::HasUndecodableBytes(name))
        line.insert(key + QStringLiteral("_bytes"),
                    QString::fromLatin1(platform::EncodeFileName(name).toBase64()));
}

} // namespace

ResultPrinter::ResultPrinter(bool json, std::FILE* output, std::FILE* progress)
    : mJson(json), mOutput(output), mProgress(progress)
{
}

QString ResultPrinter::Escaped(const QString& field)
{
    QString escaped;
    escaped.reserve(field.size());
    for (const QChar c : field) {
        const char16_t u = c.unicode();
        if (u == '\\')
            escaped += QStringLiteral("\\\\");
        else if (u == '\t')
            escaped += QStringLiteral("\\t");
        else if (u == '\n')
            escaped += QStringLiteral("\\n");
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            escaped += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            escaped += c;
    }
    return escaped;
}

QStringList ResultPrinter::Fields(const ConvertResult& result)
{
    if (result.status == Status::Failed)
        return {result.source, result.status, result.reason};
    // A converted document whose Word file leaves something out says what,
    // after its target.
    QStringList fields{result.source, result.status, result.target};
    if (!result.reason.isEmpty())
        fields << result.reason;
    return fields;
}

QByteArray ResultPrinter::Json(const ConvertResult& result)
{
    QJsonObject line;
    insertName(line, QStringLiteral("source"), result.source);
    line.insert(QStringLiteral("status"), result.status);
    if (result.status != Status::Failed)
        insertName(line, QStringLiteral("target"), result.target);
    if (!result.reason.isEmpty() || result.status == Status::Failed)
        line.insert(QStringLiteral("reason"), validText(result.reason));
    return QJsonDocument(line).toJson(QJsonDocument::Compact);
}

void ResultPrinter::print(const ConvertResult& result, bool flush)
{
    if (!mProgressText.isEmpty())
        write(mProgress, "\r\x1b[K");
    if (mJson) {
        write(mOutput, Json(result) + '\n', flush);
    } else {
        QStringList fields = Fields(result);
        for (QString& field : fields)
            field = Escaped(field);
        write(mOutput, platform::EncodeFileName(fields.join(QLatin1Char('\t')) + QLatin1Char('\n')), flush);
    }
    if (!mProgressText.isEmpty())
        drawProgress(mProgressText);
}

void ResultPrinter::flush()
{
    std::fflush(mOutput);
}

void ResultPrinter::showProgress(const QString& text, bool draw)
{
    if (!mProgress)
        return;
    mProgressText = text;
    if (draw)
        drawProgress(text);
}

void ResultPrinter::drawProgress(const QString& text)
{
    write(mProgress, "\r\x1b[K" + text.toLocal8Bit());
}

void ResultPrinter::endProgress()
{
    if (mProgress && !mProgressText.isEmpty())
        write(mProgress, "\r\x1b[K");
    mProgressText.clear();
}
