// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "conversion/Automation.h"
#include "core/FlattenedCall.h"
#include "core/BatchProgress.h"
#include "core/DocumentList.h"
#include "core/ExtensionList.h"
#include "platform/desktop/CommonDialog.h"
#include "platform/files/FileListBox.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringListModel>
#include <memory>

class cmd1;
class Cmd2;
class Source;
class StateManager;
class UserInterface;

// The one object through which windows, modes, commands and jobs reach each
// other and the shared paths. Created by Main into gMediator. It holds what
// the windows show and the logic writes (the document list, the extension
// list, the documents a source folder holds, how far a batch has got) as
// models the windows observe, and reaches the windows themselves only through
// the UserInterface start-up installs.
class Mediator final : public QObject {
    Q_OBJECT

public:
    Mediator();
    ~Mediator() override;

    // Connects to the word processor (or reports that it cannot and ends the
    // program with `exitWithoutServer`), creates the state machine and the
    // source record, records the system temporary folder and empties the
    // document list.
    void init(int exitWithoutServer = 1);
    bool IsInitialised() const { return mStateManager != nullptr; }

    // The windows; null (the default) shows nothing.
    void SetUserInterface(UserInterface* ui) { mUserInterface = ui; }
    UserInterface* userInterface() const { return mUserInterface; }
    // Shows the main window, when there are windows.
    void ShowMainWindow();

    // The document list: one row per document of the current run, with its
    // status (the main window's list).
    DocumentList& Documents() { return mDocuments; }
    // The folder listing the batch and the source-folder choice read.
    platform::FileListBox& FileList() { return mFileList; }
    // The file dialog shared by "Open" and the single document's Save As.
    platform::CommonDialog& CommonDialog1() { return mCommonDialog1; }
    // The extensions whose documents are converted ("wpd" at start).
    ExtensionList& Extensions() { return mExtensions; }
    // The names of the accepted documents of the chosen source folder (the
    // batch dialog's list).
    QStringListModel& FoundDocuments() { return mFoundDocuments; }
    // How far the current (or last) batch has got.
    BatchProgress& Progress() { return mProgress; }
    // Empties the document list for a new run (or on "Close"); the progress
    // of a batch whose rows are gone goes with them.
    void ClearDocuments();

    void startStateOne();
    void StartStateTwo();
    void StartStateThree();

    void registerCmd1(std::shared_ptr<cmd1> c);
    void registerCmd2(std::shared_ptr<Cmd2> c);

    void Command1(const QString& str);
    void Command2(const QString& str);
    void Command3();

    void SetSourceFolder(const QString& strFolder);
    QString GetSourceFolder() const;
    void SetTgtFolder(const QString& strFolder);
    QString GetTgtFolder() const;
    void SetSourceFile(const QString& strFile);
    QString GetSourceFile() const;
    void SetTgtFile(const QString& strFile);
    QString GetTgtFile() const;
    void SetTempFolder(const QString& strTemp);
    QString GetTempFolder() const;

    // Choosing what to convert and where to.
    void SingleSourceFile();
    // Converts `path` in single-document mode, as if it had been chosen in
    // the file-open dialog.
    void OpenDocument(const QString& path);
    // Converts `path` in single-document mode as a document the user named
    // (opened from the desktop): whatever its extension, and without
    // changing the extension list.
    void OpenNamedDocument(const QString& path);
    void SourceFolder();
    // What choosing `folder` as the source folder does: the record, the
    // documents found there, and the word processor told what may follow.
    void ChooseSourceFolder(const QString& folder);
    void TargetFolder();
    QString BrowseForFolder(const QString& szPrompt);

    // A run lasts from the moment a mode's Command1 starts until it returns.
    // While it lasts, the commands that would start or change a run (open a
    // document, clear the list, open the batch dialog, choose folders,
    // "Start") are refused: they would otherwise run nested inside the
    // conversion in progress.
    bool IsRunning() const { return mRunDepth > 0; }
    // A run that spans several mode commands (the command line converts
    // several groups of documents as one run). Runs nest. The word processor
    // is told when the outermost begins: it never replaces a Word file
    // written after that.
    void BeginRun();
    void EndRun();

    // The documents the user named rather than a folder listing found (the
    // command line, the desktop's "Open With"): batch mode then converts
    // exactly these, in this order, instead of listing the source folder,
    // and single-document mode converts a named document whatever its
    // extension (the extension list decides what a folder yields). Empty:
    // the source folder, and the extension list.
    void SetSourceDocuments(const QStringList& documents);
    const QStringList& GetSourceDocuments() const { return mSourceDocuments; }
    // The Word file each named document goes to (the command line mirrors
    // folder trees): a document with one is written there instead of into
    // the target folder. Empty: none.
    void SetSourceTargets(const QHash<QString, QString>& targets);
    QString TargetOf(const QString& document) const { return mSourceTargets.value(document); }
    // The format batches write and announce (Automation's codes; Word 97
    // unless the command line asks for another).
    void SetTargetFormat(qint16 format) { mTargetFormat = format; }
    qint16 TargetFormat() const { return mTargetFormat; }

    // The Word files the current run has written: a run never replaces its
    // own output (two sources with one base name would otherwise leave only
    // the later one). The record starts afresh with every run.
    void NoteWritten(const QString& target, const QString& source);
    // The source whose Word file this run wrote to `target`, or empty text.
    QString WriterOf(const QString& target) const;

    // Read-only access for windows and tests.
    StateManager* stateManager() const { return mStateManager.get(); }
    std::shared_ptr<cmd1> registeredCmd1() const { return mCmd1; }
    std::shared_ptr<Cmd2> registeredCmd2() const { return mCmd2; }

signals:
    // Emitted when a run starts and when it ends.
    void runningChanged(bool running);
    // Emitted when the source or the target folder is stored.
    void foldersChanged();

private:
    bool ConnectServer();

    DocumentList mDocuments;
    platform::FileListBox mFileList;
    platform::CommonDialog mCommonDialog1;
    ExtensionList mExtensions;
    QStringListModel mFoundDocuments;
    BatchProgress mProgress;
    UserInterface* mUserInterface = nullptr;

    std::shared_ptr<cmd1> mCmd1;
    std::shared_ptr<Cmd2> mCmd2;
    std::unique_ptr<StateManager> mStateManager;
    std::unique_ptr<Source> mSource;
    QString mTempFolder;

    int mRunDepth = 0;
    QHash<QString, QString> mWrittenTargets; // target (as one file) -> source
    QStringList mSourceDocuments;
    QHash<QString, QString> mSourceTargets;
    qint16 mTargetFormat = Automation::WordFormat;
    // A Command2 issued while another is under way is made when that one
    // returns, so a batch does not nest one level of calls per document.
    FlattenedCall mCommand2;
};
