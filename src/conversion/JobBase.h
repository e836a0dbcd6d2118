// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "conversion/Automation.h"
#include "platform/automation/LateBinding.h"
#include "platform/automation/RuntimeError.h"

#include <QString>
#include <memory>

struct DocumentRow;

// What both conversion jobs share: the source path, the document's row in
// the main window's list, the target name the program proposes, clean-up
// after a failure, and the closing Command2. A job is called by name
// ("init", "Execute"), as the decorator does.
class JobBase : public platform::LateBound {
public:
    void init(const QString& str) { mPath = str; }
    virtual void Execute() = 0;

    // The Word file a job proposes for `source` in `folder`: the folder, a
    // separator, the source's base name, ".doc" (or the extension of
    // `format`). The folder is used as it is (one ending with a separator
    // gives a doubled one).
    static QString ProposedTarget(const QString& folder, const QString& source, qint16 format = Automation::WordFormat);

    platform::Value invokeMember(const QString& member, const QList<platform::Value>& args) override;

protected:
    JobBase();
    ~JobBase() override;

    // Adds the row for mPath (a path already listed raises) and writes the
    // first status.
    void addRow(const QString& status);
    // Writes a status: a new sub-item at position 1, so the status column
    // shows the latest one.
    void writeStatus(const QString& status);
    // Writes "Failed" and keeps `reason`, in words a user understands.
    void markFailed(const QString& reason);
    // The target named for the document (the command line's), or else
    // target folder, separator, base name, and the run's format's extension
    // (".doc"). An empty target folder raises: nothing may be written
    // outside a folder the user chose.
    QString proposedTarget() const;
    // Raises when `target` is the source document itself, or when another
    // document of this run has already written it: a run never replaces
    // its own output.
    void checkTarget(const QString& target) const;
    // Writes the Word document to `target`, in the format its extension
    // names (Word 97 unless .docx, .odt or .pdf), and notes that this run
    // wrote it.
    void saveWord(const QString& target);
    // Closes the document once its Word file is written. The Word file is
    // complete by then, so the document counts as converted even if the
    // word processor fails to close it (it forgets the document then).
    void closeAfterSave();
    // After a failure: closes the document if it is open and removes the
    // temporary copy, quietly; failures of these steps are ignored.
    void cleanUpAfterFailure();
    // Creates a Cmd2, initialises it by name with gMediator and runs it.
    static void issueNextCommand();
    static void eventPasses(int count);
    // Why a conversion failed, in words for the document list.
    static QString ReasonFor(const platform::RuntimeError& error);

    QString mPath;
    bool mDocumentOpen = false;
    QString mTempCopy;

private:
    std::shared_ptr<DocumentRow> mRow;
};
