#pragma once

#include <QObject>
#include <QString>
#include <memory>

class cmd1;
class Cmd2;
class Source;
class StateManager;

// The one object through which windows, modes, commands and jobs reach each
// other and the shared paths. Created by Main into gMediator.
class Mediator final : public QObject {
    Q_OBJECT

public:
    Mediator();
    ~Mediator() override;

    // Connects to the word processor (or reports that it cannot and ends the
    // program), creates the state machine and the source record, records the
    // system temporary folder and empties the document list.
    void init();

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
    void SourceFolder();
    void TargetFolder();
    QString BrowseForFolder(const QString& szPrompt);

    // A run lasts from the moment a mode's Command1 starts until it returns.
    // While it lasts, the commands that would start or change a run (open a
    // document, clear the list, open the batch dialog, choose folders,
    // "Start") are refused: they would otherwise run nested inside the
    // conversion in progress.
    bool IsRunning() const { return mRunDepth > 0; }

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

    std::shared_ptr<cmd1> mCmd1;
    std::shared_ptr<Cmd2> mCmd2;
    std::unique_ptr<StateManager> mStateManager;
    std::unique_ptr<Source> mSource;
    QString mTempFolder;

    int mRunDepth = 0;
    // Command2 flattening: a Command2 issued while another is under way is
    // remembered and carried out when that one returns, so a batch does not
    // nest one level of calls per document.
    int mCommand2Depth = 0;
    int mCommand2Pending = 0;
};
