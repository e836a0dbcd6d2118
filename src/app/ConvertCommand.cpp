// SPDX-License-Identifier: MPL-2.0
#include "app/ConvertCommand.h"

#include "app/CommandLine.h"
#include "conversion/Automation.h"
#include "conversion/JobBase.h"
#include "core/BatchProgress.h"
#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "pipeline/cmd1.h"
#include "platform/files/FileNames.h"
#include "platform/files/Files.h"
#include "platform/automation/RuntimeError.h"

#include <QLocale>
#include <QSet>

namespace {

// Documents per batch: the document list holds one batch at a time, so the
// program's memory does not grow with the run; the offices' work ahead
// starts afresh with each, which costs about one document's time.
constexpr std::size_t kBatch = 1000;

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

ConvertCommand::ConvertCommand(Options options, std::FILE* input, std::FILE* output, std::FILE* progress,
                               std::FILE* messages)
    : mOptions(std::move(options)),
      mInput(input),
      mMessages(messages),
      mPrinter(mOptions.json, output, mOptions.quiet ? nullptr : progress)
{
    if (!mOptions.target.isEmpty())
        mTarget = platform::AbsolutePath(mOptions.target);
    if (!mOptions.base.isEmpty())
        mBase = platform::AbsolutePath(mOptions.base);
}

void ConvertCommand::tell(const QString& message) const
{
    if (!mMessages)
        return;
    const QByteArray bytes = platform::EncodeFileName(QStringLiteral("tallowin: ") + message + QLatin1Char('\n'));
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), mMessages);
    std::fflush(mMessages);
}

QString ConvertCommand::targetFor(const QString& document, const QString& relative) const
{
    QString folder = mTarget;
    if (folder.isEmpty())
        folder = folderOf(document);
    else if (!relative.isEmpty())
        folder = (folder == QLatin1String("/") ? folder : folder + QLatin1Char('/')) + relative;
    return JobBase::ProposedTarget(folder == QLatin1String("/") ? QString() : folder, document, mOptions.format);
}

bool ConvertCommand::foldersUsable() const
{
    // The target folder is made when it is not there yet (as a script
    // expects of an output folder); one that cannot be made, or a file of
    // that name, is a usage error.
    if (!mTarget.isEmpty() && !platform::MakeFolders(mTarget)) {
        tell(QStringLiteral("the target folder %1 cannot be made").arg(mOptions.target));
        return false;
    }
    if (!mBase.isEmpty() && !platform::IsFolder(mBase)) {
        tell(QStringLiteral("the base folder %1 is not a folder").arg(mOptions.base));
        return false;
    }
    return true;
}

std::vector<ConvertSources::Document> ConvertCommand::withoutUpToDate(
    const std::vector<ConvertSources::Document>& documents)
{
    std::vector<ConvertSources::Document> left;
    for (const ConvertSources::Document& document : documents) {
        const QString target = targetFor(document.path, document.relative);
        const std::optional<qint64> written = platform::ModifiedTime(target);
        const std::optional<qint64> changed = platform::ModifiedTime(document.path);
        if (written && changed && *written > *changed) {
            ++mSkipped;
            mPrinter.print({document.path, QStringLiteral("Skipped"), target, QString()}, false);
        } else {
            left.push_back(document);
        }
    }
    mPrinter.flush();
    return left;
}

void ConvertCommand::summarise(int leftOut) const
{
    if (!mMessages || mOptions.quiet)
        return;
    const QLocale locale;
    tell(QStringLiteral("%1 converted, %2 failed, %3 skipped, %4 left out by their extension")
             .arg(locale.toString(mConverted), locale.toString(mFailed), locale.toString(mSkipped),
                  locale.toString(leftOut)));
}

int ConvertCommand::Run()
{
    Mediator& mediator = *gMediator;
    // The run begins now: the engine, when it is made later, counts from the
    // program's start, which is earlier still.
    mediator.BeginRun();
    struct EndRun {
        Mediator& mediator;
        ~EndRun() { mediator.EndRun(); }
    } endRun{mediator};

    if (!foldersUsable())
        return CommandLine::ExitUsage;
    if (!mOptions.extensions.isEmpty())
        mediator.Extensions().setStringList(mOptions.extensions);
    ConvertSources sources(mOptions, mBase);
    if (!sources.Gather(mInput)) {
        tell(sources.error());
        return CommandLine::ExitUsage;
    }
    const std::vector<ConvertSources::Document> documents =
        mOptions.skipExisting ? withoutUpToDate(sources.documents()) : sources.documents();
    mTotal = static_cast<int>(documents.size());

    if (mTotal > 0) {
        // The office is started only for documents to convert.
        if (!mediator.IsInitialised())
            mediator.init(CommandLine::ExitNoOffice);
        try {
            Automation::WaitForStart();
        } catch (const platform::RuntimeError& e) {
            tell(QStringLiteral("no office could be started: %1").arg(e.description()));
            return CommandLine::ExitNoOffice;
        }
        convert(documents);
    }
    mPrinter.endProgress();
    summarise(sources.leftOut());
    return mFailed == 0 && mConverted == mTotal ? CommandLine::ExitSuccess : CommandLine::ExitFailed;
}

void ConvertCommand::convert(const std::vector<ConvertSources::Document>& documents)
{
    Mediator& mediator = *gMediator;
    mediator.Documents().SetFinishedObserver([this](const DocumentRow& row) { report(row); });
    mediator.SetTargetFormat(mOptions.format);
    showProgress(true);
    for (std::size_t first = 0; first < documents.size(); first += kBatch) {
        const std::size_t end = std::min(documents.size(), first + kBatch);
        QStringList batch;
        QHash<QString, QString> targets;
        QSet<QString> folders;
        for (std::size_t i = first; i < end; ++i) {
            const ConvertSources::Document& document = documents[i];
            const QString target = targetFor(document.path, document.relative);
            batch.append(document.path);
            targets.insert(document.path, target);
            folders.insert(folderOf(target));
        }
        // A folder that cannot be made fails its documents at their save.
        for (const QString& folder : std::as_const(folders))
            platform::MakeFolders(folder);
        mediator.SetSourceDocuments(batch);
        mediator.SetSourceTargets(targets);
        // Batch mode wants a target folder; the targets above take its place.
        mediator.SetTgtFolder(mTarget.isEmpty() ? folderOf(batch.constFirst()) : mTarget);
        mediator.StartStateTwo();
        auto start = std::make_shared<cmd1>();
        start->init(&mediator);
        static_cast<Command&>(*start).Execute();
    }
    mediator.SetSourceDocuments({});
    mediator.SetSourceTargets({});
    mediator.Documents().SetFinishedObserver(nullptr);
}

void ConvertCommand::report(const DocumentRow& row)
{
    const QString status = row.SubItems.value(0);
    const bool converted = status == Status::Converted;
    (converted ? mConverted : mFailed) += 1;
    // The progress line is drawn again below the result, already counting it.
    showProgress(false);
    mPrinter.print({row.Key, status, converted ? gMediator->TargetOf(row.Key) : QString(), row.Reason});
}

void ConvertCommand::showProgress(bool draw)
{
    mPrinter.showProgress(BatchProgress::Running(mConverted + mFailed, mTotal, mFailed), draw);
}
