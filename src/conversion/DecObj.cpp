#include "conversion/DecObj.h"

#include "conversion/Automation.h"
#include "conversion/RmvDelayCode.h"
#include "fs/clsFileSystem.h"
#include "platform/RuntimeError.h"
#include "ui/Form2.h"
#include "ui/Forms.h"

void DecObj::Execute()
{
    addRow(QStringLiteral("Converting..."));
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
        Automation::FileSave(target, Automation::WordFormat);
        eventPasses(3);
        fs.DeleteFile(mTempCopy);
        mTempCopy.clear();
        eventPasses(4);
        Automation::CloseNoSave();
        mDocumentOpen = false;
        eventPasses(4);
        writeStatus(QStringLiteral("Converted"));
        Forms::Get<Form2>().Show();
        eventPasses(3);
    } catch (const platform::RuntimeError&) {
        writeStatus(QStringLiteral("Failed"));
        cleanUpAfterFailure();
        throw;
    }
    issueNextCommand();
    eventPasses(3);
}
