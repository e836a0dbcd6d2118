#include "conversion/JobBase.h"

#include "conversion/Automation.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "fs/clsFileSystem.h"
#include "pipeline/Cmd2.h"
#include "platform/EventPass.h"
#include "platform/ListView.h"
#include "platform/RuntimeError.h"
#include "ui/Form2.h"
#include "ui/Forms.h"

#include <QFile>
#include <QFileInfo>

JobBase::JobBase() = default;
JobBase::~JobBase() = default;

platform::Value JobBase::invokeMember(const QString& member, const QList<platform::Value>& args)
{
    return platform::InvokeInitOrExecute(
        member, args, [this](const QString& path) { init(path); }, [this] { Execute(); });
}

void JobBase::addRow(const QString& status)
{
    mRow = Forms::Get<Form2>().ListView1().Add(mPath, mPath);
    writeStatus(status);
}

void JobBase::writeStatus(const QString& status)
{
    if (mRow)
        Forms::Get<Form2>().ListView1().InsertSubItem(mRow, 1, status);
}

QString JobBase::proposedTarget() const
{
    const QString folder = gMediator->GetTgtFolder();
    if (folder.isEmpty())
        throw platform::RuntimeError(platform::RuntimeError::PathNotFound,
                                     QStringLiteral("No target folder has been chosen"));
    clsFileSystem fs;
    return folder + fs.Separator() + fs.GetFileBaseName(mPath, false) + QStringLiteral(".doc");
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
