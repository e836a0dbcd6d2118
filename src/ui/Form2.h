// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QMainWindow>
#include <QTimer>

class QAction;
class QLabel;
class QModelIndex;
class QPushButton;
class QStatusBar;
class QTableView;

// The main window: the document list with each document's status, the menus
// and the Exit button. Closing it, or either Exit, ends the program. The
// list shows the Mediator's document list; the status bar says why the
// current row's document failed, and how far a batch has got.
class Form2 final : public QMainWindow {
    Q_OBJECT

public:
    Form2();
    ~Form2() override;

    // Sets up the document list.
    void Form_Load();
    // Shows the window modeless (an already visible window comes forward).
    void Show();

    QTableView* ListView1() const { return mListView1; }
    QPushButton* Next() const { return mNext; }
    QPushButton* btnExit() const { return mBtnExit; }
    QStatusBar* StatusBar1() const { return mStatusBar1; }
    // The status bar's two texts: the current row's failure reason, and the
    // batch's progress.
    QLabel* StatusReason() const { return mStatusReason; }
    QLabel* StatusProgress() const { return mStatusProgress; }

    QAction* mnuOpen() const { return mMnuOpen; }
    QAction* mnuClose() const { return mMnuClose; }
    QAction* mnuExit() const { return mMnuExit; }
    QAction* mnuBatch() const { return mMnuBatch; }
    QAction* mnuExtensions() const { return mMnuExtensions; }
    QAction* mnuInfo() const { return mMnuInfo; }

    // Brings the status bar up to date now (it otherwise follows a running
    // batch at the screen's rate).
    void RefreshStatus();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The window's parts, made by the constructor in this order.
    void createMenus();
    QWidget* createPanel(); // the grey panel that fills the client area
    void createDocumentList(QWidget* panel);
    void createButtons(QWidget* panel);
    void createStatusBar();
    void connectCommands();
    void connectLogic();
    void onRunningChanged(bool running);
    void rememberCurrent();
    void restoreCurrent();
    void showReason(const QModelIndex& current);

    QTableView* mListView1;
    QPushButton* mNext;
    QPushButton* mBtnExit;
    QStatusBar* mStatusBar1;
    QLabel* mStatusReason;
    QLabel* mStatusProgress;
    QAction* mMnuOpen;
    QAction* mMnuClose;
    QAction* mMnuExit;
    QAction* mMnuBatch;
    QAction* mMnuExtensions;
    QAction* mMnuInfo;
    QTimer mStatusTimer;
    QString mCurrentKey; // the current row's document across list resets
    bool mCurrentSelected = false; // and whether it was selected
    bool mResetting = false;
    bool mCentred = false;
};
