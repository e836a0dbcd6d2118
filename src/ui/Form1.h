#pragma once

#include <QWidget>
#include <memory>

class QLineEdit;
class QListWidget;
class QPushButton;
class cmd1;

// The batch folder dialog: choose the source and target folders, see the
// documents found, and start the batch.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    Form1();

    void Form_Load();

    QListWidget* List1() const { return mList1; }
    QLineEdit* txtSrcFolder() const { return mTxtSrcFolder; }
    QLineEdit* txtTgtFolder() const { return mTxtTgtFolder; }
    QPushButton* btnSource() const { return mBtnSource; }
    QPushButton* btnTarget() const { return mBtnTarget; }
    QPushButton* Command1() const { return mCommand1; }
    QPushButton* Command2() const { return mCommand2; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void start();

    QListWidget* mList1;
    QLineEdit* mTxtSrcFolder;
    QLineEdit* mTxtTgtFolder;
    QPushButton* mBtnSource;
    QPushButton* mBtnTarget;
    QPushButton* mCommand1;
    QPushButton* mCommand2;
    std::shared_ptr<cmd1> mCmd;
};
