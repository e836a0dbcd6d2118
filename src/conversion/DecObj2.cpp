// SPDX-License-Identifier: MPL-2.0
#include "conversion/DecObj2.h"

#include "conversion/Automation.h"
#include "conversion/RmvDelayCode.h"
#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "fs/clsFileSystem.h"
#include "platform/desktop/CommonDialog.h"
#include "platform/automation/RuntimeError.h"

void DecObj2::Execute()
{
    // A failure to add the row leaves nothing to mark: it passes on.
    addRow(Status::Converting);
    try {
        clsFileSystem fs;
        const QString proposed = proposedTarget();

        Automation::FileOpen(mPath);
        mDocumentOpen = true;
        RmvDelayCode().RemoveDelayCode();

        platform::CommonDialog& dialog = gMediator->CommonDialog1();
        dialog.FileName = proposed;
        dialog.CancelError = true;
        dialog.Filter = QStringLiteral("*.doc");
        dialog.Flags = platform::CommonDialog::FileMustExist;
        dialog.ShowSave();
        if (dialog.FileName.isEmpty())
            throw platform::RuntimeError(platform::RuntimeError::CancelSelected,
                                         QStringLiteral("No file name was chosen in the Save As dialog"));
        const QString target = dialog.FileName;
        checkTarget(target);

        mTempCopy = fs.fnGetTempPath(QString(), QString());
        Automation::FileSave(mTempCopy);
        eventPasses(3);
        saveWord(target);
        eventPasses(3);
        closeAfterSave();
        eventPasses(3);
        fs.DeleteFile(mTempCopy);
        mTempCopy.clear();
        eventPasses(3);
        gMediator->ShowMainWindow();
        eventPasses(3);
        writeStatus(Status::Converted);
        eventPasses(3);
        issueNextCommand();
        eventPasses(3);
    } catch (const platform::RuntimeError& e) {
        markFailed(ReasonFor(e));
        cleanUpAfterFailure();
    }
}
