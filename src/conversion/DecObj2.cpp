#include "conversion/DecObj2.h"

#include "conversion/Automation.h"
#include "conversion/RmvDelayCode.h"
#include "fs/clsFileSystem.h"
#include "platform/CommonDialog.h"
#include "platform/RuntimeError.h"
#include "ui/Form2.h"
#include "ui/Forms.h"

void DecObj2::Execute()
{
    // A failure to add the row leaves nothing to mark: it passes on.
    addRow(QStringLiteral("Converting..."));
    try {
        clsFileSystem fs;
        const QString proposed = proposedTarget();

        Automation::FileOpen(mPath);
        mDocumentOpen = true;
        RmvDelayCode().RemoveDelayCode();

        platform::CommonDialog& dialog = Forms::Get<Form2>().CommonDialog1();
        dialog.FileName = proposed;
        dialog.CancelError = true;
        dialog.Filter = QStringLiteral("*.doc");
        dialog.Flags = platform::CommonDialog::FileMustExist;
        dialog.ShowSave();
        if (dialog.FileName.isEmpty())
            throw platform::RuntimeError(platform::RuntimeError::CancelSelected,
                                         QStringLiteral("No file name was chosen"));
        const QString target = dialog.FileName;
        checkTarget(target);

        mTempCopy = fs.fnGetTempPath(QString(), QString());
        Automation::FileSave(mTempCopy);
        eventPasses(3);
        Automation::FileSave(target, Automation::WordFormat);
        eventPasses(3);
        Automation::CloseNoSave();
        mDocumentOpen = false;
        eventPasses(3);
        fs.DeleteFile(mTempCopy);
        mTempCopy.clear();
        eventPasses(3);
        Forms::Get<Form2>().Show();
        eventPasses(3);
        writeStatus(QStringLiteral("Converted"));
        eventPasses(3);
        issueNextCommand();
        eventPasses(3);
    } catch (const platform::RuntimeError&) {
        writeStatus(QStringLiteral("Failed"));
        cleanUpAfterFailure();
    }
}
