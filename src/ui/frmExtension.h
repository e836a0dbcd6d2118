// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QWidget>

class QListView;
class QLineEdit;
class QPushButton;

// The extension manager: shows the extension list (the Mediator's, "wpd" at
// start) in LstExt and lets the user add and remove entries. Closing it with
// its close box unloads it, and the list goes back to "wpd" alone.
class frmExtension final : public QWidget {
    Q_OBJECT

public:
    frmExtension();

    void Form_Load();

    QListView* LstExt() const { return mLstExt; }
    QLineEdit* txtExtension() const { return mTxtExtension; }
    QPushButton* cmdAddMovie() const { return mCmdAdd; }
    QPushButton* Command2() const { return mCmdRemove; }
    QPushButton* cmdExit() const { return mCmdExit; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The list and the text box with its label; the buttons.
    void createListAndBox(QWidget* panel);
    void createButtons(QWidget* panel);
    void add();
    void remove();

    QListView* mLstExt;
    QLineEdit* mTxtExtension;
    QPushButton* mCmdAdd;
    QPushButton* mCmdRemove;
    QPushButton* mCmdExit;
};
