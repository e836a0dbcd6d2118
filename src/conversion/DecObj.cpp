// SPDX-License-Identifier: MPL-2.0
#include "conversion/DecObj.h"

#include "conversion/Automation.h"
#include "conversion/RmvDelayCode.h"
#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "fs/clsFileSystem.h"
#include "platform/automation/RuntimeError.h"

void DecObj::Execute()
{
    addRow(Status::Converting);
    eventPasses(1);
    try {
        clsFileSystem fs;
        const QString target = proposedTarget();
        checkTarget(target);

        Automation::FileOpen(mPath);
        mDocumentOpen = true;
        RmvDelayCode().RemoveDelayCode();

        mTempCopy = fs.fnGetTempPath(QString(), QString());
        Automation::FileSave(mTempCopy);
        eventPasses(1);
        saveWord(target);
        eventPasses(3);
        fs.DeleteFile(mTempCopy);
        mTempCopy.clear();
        eventPasses(4);
        closeAfterSave();
        eventPasses(4);
        writeStatus(Status::Converted);
        gMediator->ShowMainWindow();
        eventPasses(3);
    } catch (const platform::RuntimeError& e) {
        markFailed(ReasonFor(e));
        cleanUpAfterFailure();
        throw;
    }
    issueNextCommand();
    eventPasses(3);
}
