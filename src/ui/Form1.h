// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QWidget>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class cmd1;

// The batch folder dialog: choose the source and target folders, see the
// documents found, and start the batch. The two folder boxes only display
// the folders kept by the Mediator (the ones "Start" converts from and
// into); they are read-only and follow every change of those folders. The
// list shows the Mediator's documents found in the source folder, and the
// label above it how many there are. The dialog grows (up to most of the
// screen) so that the boxes show whole folders and the list whole names;
// what it has beyond its first size goes to the boxes and the list.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    Form1();

    void Form_Load();

    QListView* List1() const { return mList1; }
    QLabel* Label3() const { return mLabel3; }
    QLineEdit* txtSrcFolder() const { return mTxtSrcFolder; }
    QLineEdit* txtTgtFolder() const { return mTxtTgtFolder; }
    QPushButton* btnSource() const { return mBtnSource; }
    QPushButton* btnTarget() const { return mBtnTarget; }
    QPushButton* Command1() const { return mCommand1; }
    QPushButton* Command2() const { return mCommand2; }
    // The command object the last "Start" created.
    std::shared_ptr<cmd1> lastCommand() const { return mCmd; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The dialog's parts, made by the constructor in this order: the
    // controls; their read-only boxes, names for screen readers and tab
    // order; their commands and the Mediator's models and signals.
    void createControls();
    void describeControls();
    void connectControls();
    void start();
    void showFolders();
    void showFound();
    // Widens the dialog to show whole folders and names.
    void fitContents();
    // Places the controls for the dialog's size.
    void arrange();
    // How much wider than at first the boxes and the list would need to be.
    int boxesNeed() const;
    int listNeeds() const;
    void onRunningChanged(bool running);

    QGroupBox* mFrame;
    QLabel* mLabel1;
    QLabel* mLabel2;
    QLabel* mLabel3;
    QListView* mList1;
    QLineEdit* mTxtSrcFolder;
    QLineEdit* mTxtTgtFolder;
    QPushButton* mBtnSource;
    QPushButton* mBtnTarget;
    QPushButton* mCommand1;
    QPushButton* mCommand2;
    std::shared_ptr<cmd1> mCmd;
};
