#pragma once

#include <QWidget>

class QListWidget;
class QLineEdit;
class QPushButton;

// The extension manager: holds the extension list (the entries of LstExt,
// "wpd" at load) and lets the user add and remove entries.
class frmExtension final : public QWidget {
    Q_OBJECT

public:
    frmExtension();

    void Form_Load();

    QListWidget* LstExt() const { return mLstExt; }
    QLineEdit* txtExtension() const { return mTxtExtension; }
    QPushButton* cmdAddMovie() const { return mCmdAdd; }
    QPushButton* Command2() const { return mCmdRemove; }
    QPushButton* cmdExit() const { return mCmdExit; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void add();
    void remove();

    QListWidget* mLstExt;
    QLineEdit* mTxtExtension;
    QPushButton* mCmdAdd;
    QPushButton* mCmdRemove;
    QPushButton* mCmdExit;
};
