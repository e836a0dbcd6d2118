// SPDX-License-Identifier: MPL-2.0
#include "core/Mediator.h"

#include "conversion/Automation.h"
#include "core/FolderListing.h"
#include "core/General.h"
#include "core/Source.h"
#include "core/UserInterface.h"
#include "fs/clsFileSystem.h"
#include "modes/StateManager.h"
#include "pipeline/Chain.h"
#include "pipeline/Cmd2.h"
#include "pipeline/cmd1.h"
#include "platform/desktop/Dialogs.h"
#include "platform/files/FileNames.h"
#include "platform/automation/ProgIdRegistry.h"
#include "platform/desktop/Program.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QDir>

namespace {
// Counts a scope as part of a run for as long as it lasts.
class RunScope {
public:
    explicit RunScope(Mediator* owner) : mOwner(owner) { mOwner->BeginRun(); }
    ~RunScope() { mOwner->EndRun(); }

private:
    Mediator* mOwner;
};
} // namespace

Mediator::Mediator() = default;
Mediator::~Mediator() = default;

void Mediator::init(int exitWithoutServer)
{
    if (!ConnectServer()) {
        platform::MsgBox(QStringLiteral("Could not find WordPerfect"), platform::MsgButtons::OK,
                         platform::MsgIcon::Exclamation, QStringLiteral("Error!"));
        platform::EndProgram(exitWithoutServer);
    }
    const QString temp = platform::SystemTempPath();
    mStateManager = std::make_unique<StateManager>();
    mStateManager->init(this);
    mSource = std::make_unique<Source>();
    SetTempFolder(temp);
    StartStateThree();
}

bool Mediator::ConnectServer()
{
    try {
        gAutomation = platform::ProgIdRegistry::CreateObject(QStringLiteral("WordPerfect.PerfectScript"));
        return true;
    } catch (const platform::RuntimeError&) {
        return false;
    }
}

void Mediator::ShowMainWindow()
{
    if (mUserInterface)
        mUserInterface->ShowMainWindow();
}

void Mediator::startStateOne()
{
    mStateManager->setStateOne();
    if (mUserInterface)
        mUserInterface->HideNextButton();
}

void Mediator::StartStateTwo()
{
    mStateManager->SetStateTwo();
}

void Mediator::StartStateThree()
{
    ClearDocuments();
}

void Mediator::ClearDocuments()
{
    mProgress.Clear();
    mDocuments.Clear();
}

void Mediator::BeginRun()
{
    if (mRunDepth++ == 0) {
        mWrittenTargets.clear();
        Automation::BeginRun();
        emit runningChanged(true);
    }
}

void Mediator::EndRun()
{
    if (--mRunDepth == 0)
        emit runningChanged(false);
}

void Mediator::SetSourceDocuments(const QStringList& documents)
{
    mSourceDocuments = documents;
}

void Mediator::SetSourceTargets(const QHash<QString, QString>& targets)
{
    mSourceTargets = targets;
}

void Mediator::NoteWritten(const QString& target, const QString& source)
{
    // One spelling per file: absolute, without "." and "..". A run writes all
    // its targets into one folder (or one chosen name), so the text is
    // enough; the file system is not asked for every document.
    mWrittenTargets.insert(platform::AbsolutePath(target), source);
}

QString Mediator::WriterOf(const QString& target) const
{
    return mWrittenTargets.value(platform::AbsolutePath(target));
}

void Mediator::registerCmd1(std::shared_ptr<cmd1> c) { mCmd1 = std::move(c); }
void Mediator::registerCmd2(std::shared_ptr<Cmd2> c) { mCmd2 = std::move(c); }

void Mediator::Command1(const QString& str)
{
    RunScope run(this);
    mStateManager->Command1(str);
}

void Mediator::Command2(const QString& str)
{
    // A Command2 issued by a job at its end is made once the job has
    // returned (see FlattenedCall).
    mCommand2.run([&] { mStateManager->Command2(str); });
}

void Mediator::Command3()
{
    mStateManager->Command3();
}

void Mediator::SetSourceFolder(const QString& strFolder)
{
    mSource->SetSourceFolder(strFolder);
    emit foldersChanged();
}
QString Mediator::GetSourceFolder() const { return mSource->GetSourceFolder(); }
void Mediator::SetTgtFolder(const QString& strFolder)
{
    mSource->SetTgtFolder(strFolder);
    emit foldersChanged();
}
QString Mediator::GetTgtFolder() const { return mSource->GetTgtFolder(); }
void Mediator::SetSourceFile(const QString& strFile) { mSource->SetSourceFile(strFile); }
QString Mediator::GetSourceFile() const { return mSource->GetSourceFile(); }
void Mediator::SetTgtFile(const QString& strFile) { mSource->SetTgtFile(strFile); }
QString Mediator::GetTgtFile() const { return mSource->GetTgtFile(); }
void Mediator::SetTempFolder(const QString& strTemp) { mTempFolder = strTemp; }
QString Mediator::GetTempFolder() const { return mTempFolder; }

void Mediator::SingleSourceFile()
{
    if (IsRunning())
        return;
    startStateOne();
    // Cancelling the dialog, and any failure of the conversion it starts,
    // end this silently.
    try {
        platform::CommonDialog& dialog = mCommonDialog1;
        dialog.CancelError = true;
        dialog.Filter = QStringLiteral("All WordPerfect documents (*.wpd)|*.WPD");
        dialog.Flags = platform::CommonDialog::FileMustExist;
        dialog.ShowOpen();
        if (dialog.FileName.isEmpty())
            return;
        OpenDocument(dialog.FileName);
    } catch (const platform::RuntimeError&) {
    }
}

void Mediator::OpenNamedDocument(const QString& path)
{
    struct Named {
        Mediator* m;
        ~Named() { m->SetSourceDocuments({}); }
    } named{this};
    SetSourceDocuments({path});
    OpenDocument(path);
}

void Mediator::OpenDocument(const QString& path)
{
    SetSourceFile(path);
    clsFileSystem fs;
    SetTgtFolder(fs.GetPath(path));
    startStateOne();
    auto start = std::make_shared<cmd1>();
    start->init(this);
    static_cast<Command&>(*start).Execute();
}

void Mediator::SourceFolder()
{
    if (IsRunning())
        return;
    const QString folder = BrowseForFolder(QStringLiteral("Select a Source Folder"));
    if (folder.isEmpty())
        return;
    ChooseSourceFolder(folder);
}

void Mediator::ChooseSourceFolder(const QString& folder)
{
    // The batch dialog shows the folder (it follows the record) and the
    // documents found there.
    mFoundDocuments.setStringList({});
    SetSourceFolder(folder);
    clsFileSystem fs;
    QStringList names = FolderListing::AcceptedDocuments(mFileList, folder);
    // The word processor gets ready for a batch of that size while the user
    // chooses the target.
    Automation::ExpectDocuments(static_cast<int>(names.size()));
    for (QString& path : names)
        path = fs.GetFileName(path);
    mFoundDocuments.setStringList(names);
}

void Mediator::TargetFolder()
{
    if (IsRunning())
        return;
    // The batch dialog's target box follows the record.
    SetTgtFolder(BrowseForFolder(QStringLiteral("Select a Target Folder")));
}

QString Mediator::BrowseForFolder(const QString& szPrompt)
{
    // The folder is returned exactly as chosen: blanks at either end are
    // part of a folder's name here, so nothing is trimmed.
    return platform::Dialogs().browseForFolder(szPrompt);
}
