#include "app/ConvertCommand.h"

#include "app/CommandLine.h"
#include "conversion/JobBase.h"
#include "core/BatchProgress.h"
#include "core/DocumentList.h"
#include "core/FolderListing.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "pipeline/cmd1.h"
#include "platform/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

constexpr int kProgressMs = 100;

// UTF-8; a file name's bytes that are not UTF-8 are written as they are, so
// that a script gets back the names it can open.
void write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = platform::EncodeFileName(text);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// The paths read from `input`, one a line; blank lines are skipped.
QStringList readPaths(std::FILE* input)
{
    QStringList paths;
    QByteArray line;
    for (int c = std::fgetc(input);; c = std::fgetc(input)) {
        if (c == '\n' || c == EOF) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.trimmed().isEmpty())
                paths.append(platform::DecodeFileName(line));
            line.clear();
            if (c == EOF)
                break;
            continue;
        }
        line.append(static_cast<char>(c));
    }
    return paths;
}

} // namespace

ConvertCommand::ConvertCommand(Options options, std::FILE* input, std::FILE* output, std::FILE* progress)
    : mOptions(std::move(options)), mInput(input), mOutput(output), mProgress(progress)
{
}

QStringList ConvertCommand::Documents()
{
    QStringList paths;
    for (const QString& path : std::as_const(mOptions.paths)) {
        if (path == QLatin1String("-"))
            paths += readPaths(mInput);
        else
            paths.append(path);
    }
    QStringList documents;
    QSet<QString> seen;
    const auto add = [&](const QString& document) {
        if (!seen.contains(document)) {
            seen.insert(document);
            documents.append(document);
        }
    };
    for (const QString& path : std::as_const(paths)) {
        const QString full = platform::AbsolutePath(path);
        if (QFileInfo(full).isDir()) {
            const QStringList found = FolderListing::AcceptedDocuments(gMediator->FileList(), full);
            for (const QString& document : found)
                add(document);
        } else {
            add(full);
        }
    }
    return documents;
}

int ConvertCommand::Run()
{
    // The target folder is made when it is not there yet (as a script
    // expects of an output folder); one that cannot be made, or a file of
    // that name, is a usage error.
    QString target;
    if (!mOptions.target.isEmpty()) {
        target = platform::AbsolutePath(mOptions.target);
        if (!QDir().mkpath(target) || !QFileInfo(target).isDir()) {
            write(stderr, QStringLiteral("tallowin: the target folder %1 cannot be made\n").arg(mOptions.target));
            return CommandLine::ExitUsage;
        }
    }
    const QStringList documents = Documents();
    mTotal = static_cast<int>(documents.size());

    // The documents in groups by the folder their Word files go to, each
    // group one batch, all of them one run.
    QStringList folders;
    QHash<QString, QStringList> groups;
    for (const QString& document : documents) {
        const QString folder = target.isEmpty() ? QFileInfo(document).absolutePath() : target;
        if (!groups.contains(folder))
            folders.append(folder);
        groups[folder].append(document);
    }

    Mediator& mediator = *gMediator;
    mediator.Documents().SetFinishedObserver([this](const DocumentRow& row) { report(row); });
    mSinceProgress.start();
    showProgress(false);
    mediator.BeginRun();
    for (const QString& folder : std::as_const(folders)) {
        mediator.SetSourceDocuments(groups.value(folder));
        mediator.SetTgtFolder(folder);
        mediator.StartStateTwo();
        auto start = std::make_shared<cmd1>();
        start->init(&mediator);
        static_cast<Command&>(*start).Execute();
    }
    mediator.EndRun();
    mediator.SetSourceDocuments({});
    mediator.Documents().SetFinishedObserver(nullptr);
    showProgress(true);
    return mFailed == 0 && mConverted == mTotal ? CommandLine::ExitSuccess : CommandLine::ExitFailed;
}

void ConvertCommand::report(const DocumentRow& row)
{
    const QString status = row.SubItems.value(0);
    const bool converted = status == Status::Converted;
    (converted ? mConverted : mFailed) += 1;
    // Rows end while their group runs, with its target folder chosen. A
    // converted row's reason (what its Word file leaves out or lacks) comes
    // after its target.
    const QString target = converted ? JobBase::ProposedTarget(gMediator->GetTgtFolder(), row.Key) : QString();
    if (mOptions.json) {
        QJsonObject line{{QStringLiteral("source"), row.Key}, {QStringLiteral("status"), status}};
        if (converted)
            line.insert(QStringLiteral("target"), target);
        if (!converted || !row.Reason.isEmpty())
            line.insert(QStringLiteral("reason"), row.Reason);
        write(mOutput, QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    } else {
        QStringList fields{row.Key, status};
        if (converted)
            fields << target;
        if (!converted || !row.Reason.isEmpty())
            fields << row.Reason;
        write(mOutput, fields.join(QLatin1Char('\t')) + QLatin1Char('\n'));
    }
    showProgress(false);
}

void ConvertCommand::showProgress(bool last)
{
    if (!mProgress || (!last && mSinceProgress.elapsed() < kProgressMs && mConverted + mFailed > 0))
        return;
    mSinceProgress.restart();
    // Over the line before; the last one ends the line.
    write(mProgress, QStringLiteral("\r\x1b[K") + BatchProgress::Running(mConverted + mFailed, mTotal, mFailed)
                         + (last ? QStringLiteral("\n") : QString()));
}
