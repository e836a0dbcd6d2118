#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: title, version, description, maker and a link.
class frmAbout final : public QDialog {
    Q_OBJECT

public:
    frmAbout();
    void Form_Load();

    QLabel* lblTitle() const { return mLblTitle; }
    QLabel* lblVersion() const { return mLblVersion; }
    QPushButton* cmdOK() const { return mCmdOK; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void unload();

    QLabel* mLblTitle;
    QLabel* mLblVersion;
    QPushButton* mCmdOK;
};
