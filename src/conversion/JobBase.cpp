// SPDX-License-Identifier: MPL-2.0
#include "conversion/JobBase.h"

#include "conversion/Automation.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "fs/clsFileSystem.h"
#include "pipeline/Cmd2.h"
#include "platform/desktop/EventPass.h"
#include "platform/automation/RuntimeError.h"

#include <QFile>
#include <QFileInfo>

JobBase::JobBase() = default;
JobBase::~JobBase() = default;

platform::Value JobBase::invokeMember(const QString& member, const QList<platform::Value>& args)
{
    return platform::CallMember(member, args,
                                {{"init", 1, [this](const auto& a) { init(a.constFirst().toText()); }},
                                 {"Execute", 0, [this](const auto&) { Execute(); }}});
}

void JobBase::addRow(const QString& status)
{
    mRow = gMediator->Documents().Add(mPath, mPath);
    writeStatus(status);
}

void JobBase::writeStatus(const QString& status)
{
    if (mRow)
        gMediator->Documents().InsertSubItem(mRow, 1, status);
}

void JobBase::markFailed(const QString& reason)
{
    if (mRow)
        gMediator->Documents().SetReason(mRow, reason);
    writeStatus(Status::Failed);
}

QString JobBase::proposedTarget() const
{
    const QString named = gMediator->TargetOf(mPath);
    if (!named.isEmpty())
        return named;
    const QString folder = gMediator->GetTgtFolder();
    if (folder.isEmpty())
        throw platform::RuntimeError(platform::RuntimeError::PathNotFound,
                                     QStringLiteral("No target folder has been chosen"));
    return ProposedTarget(folder, mPath, gMediator->TargetFormat());
}

QString JobBase::ProposedTarget(const QString& folder, const QString& source, qint16 format)
{
    clsFileSystem fs;
    return folder + fs.Separator() + fs.GetFileBaseName(source, false) + QLatin1Char('.')
           + Automation::ExtensionOf(format);
}

void JobBase::checkTarget(const QString& target) const
{
    const QFileInfo source(mPath);
    const QFileInfo out(target);
    const bool same = out.exists() ? out.canonicalFilePath() == source.canonicalFilePath()
                                   : out.absoluteFilePath() == source.absoluteFilePath();
    if (same)
        throw platform::RuntimeError(platform::RuntimeError::PermissionDenied,
                                     QStringLiteral("The target %1 is the source document itself").arg(target));
    const QString writer = gMediator->WriterOf(target);
    if (!writer.isEmpty())
        throw platform::RuntimeError(platform::RuntimeError::PermissionDenied,
                                     QStringLiteral("The target %1 was already written by %2 in this run; "
                                                    "nothing was written")
                                         .arg(target, writer));
}

void JobBase::saveWord(const QString& target)
{
    Automation::FileSave(target, Automation::FormatOfName(target));
    gMediator->NoteWritten(target, mPath);
    // The document converted; what the Word file leaves out or lacks, the
    // row says (and marks).
    const QString notes = Automation::ConversionNotes();
    if (!notes.isEmpty() && mRow)
        gMediator->Documents().SetReason(mRow, notes);
}

void JobBase::closeAfterSave()
{
    mDocumentOpen = false;
    try {
        Automation::CloseNoSave();
    } catch (const platform::RuntimeError&) {
    }
}

QString JobBase::ReasonFor(const platform::RuntimeError& error)
{
    if (error.number() == platform::RuntimeError::CancelSelected && error.source() == QStringLiteral("CommonDialog"))
        return QStringLiteral("The Save As dialog was cancelled; nothing was written");
    if (!error.description().isEmpty())
        return error.description();
    return QStringLiteral("Error %1").arg(error.number());
}

void JobBase::cleanUpAfterFailure()
{
    if (mDocumentOpen) {
        mDocumentOpen = false;
        try {
            Automation::CloseNoSave();
        } catch (const platform::RuntimeError&) {
        }
    }
    if (!mTempCopy.isEmpty()) {
        QFile::remove(mTempCopy);
        mTempCopy.clear();
    }
}

void JobBase::issueNextCommand()
{
    auto next = std::make_shared<Cmd2>();
    platform::CallByName(next.get(), QStringLiteral("init"),
                         {platform::Value(std::static_pointer_cast<QObject>(gMediator))});
    static_cast<Command&>(*next).Execute();
}

void JobBase::eventPasses(int count)
{
    for (int i = 0; i < count; ++i)
        platform::DoEvents();
}
