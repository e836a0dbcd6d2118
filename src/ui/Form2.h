#pragma once

#include <QMainWindow>
#include <memory>

class QAction;
class QMenu;
class QPushButton;
class QStatusBar;

namespace platform {
class CommonDialog;
class FileListBox;
class ListView;
} // namespace platform

// The main window: the document list with each document's status, the menus
// and the Exit button. Closing it, or either Exit, ends the program.
class Form2 final : public QMainWindow {
    Q_OBJECT

public:
    Form2();
    ~Form2() override;

    // Sets up the document list.
    void Form_Load();
    // Shows the window modeless (an already visible window comes forward).
    void Show();

    platform::ListView& ListView1() { return *mListView1; }
    platform::FileListBox& FileList() { return *mFileList; }
    platform::CommonDialog& CommonDialog1() { return *mCommonDialog1; }
    QPushButton* Next() const { return mNext; }
    QPushButton* btnExit() const { return mBtnExit; }
    QStatusBar* StatusBar1() const { return mStatusBar1; }

    QAction* mnuOpen() const { return mMnuOpen; }
    QAction* mnuClose() const { return mMnuClose; }
    QAction* mnuExit() const { return mMnuExit; }
    QAction* mnuBatch() const { return mMnuBatch; }
    QAction* mnuExtensions() const { return mMnuExtensions; }
    QAction* mnuInfo() const { return mMnuInfo; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void connectRunGuard();
    void onRunningChanged(bool running);

    platform::ListView* mListView1;
    std::unique_ptr<platform::FileListBox> mFileList;
    std::unique_ptr<platform::CommonDialog> mCommonDialog1;
    QPushButton* mNext;
    QPushButton* mBtnExit;
    QStatusBar* mStatusBar1;
    QAction* mMnuOpen;
    QAction* mMnuClose;
    QAction* mMnuExit;
    QAction* mMnuBatch;
    QAction* mMnuExtensions;
    QAction* mMnuInfo;
    bool mCentred = false;
};
