// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QDialog>

class ClickableLabel;
class QLabel;
class QPushButton;

// The About box: title, version, description, maker and a link to the
// product's web page. "OK", Enter, Esc and the close box unload it.
class frmAbout final : public QDialog {
    Q_OBJECT

public:
    frmAbout();
    void Form_Load();

    ClickableLabel* lblTitle() const { return mLblTitle; }
    QLabel* lblVersion() const { return mLblVersion; }
    QLabel* lblDescription() const { return mLblDescription; }
    ClickableLabel* Label3() const { return mLabel3; }
    QPushButton* cmdSysInfo() const { return mCmdSysInfo; }
    QPushButton* cmdOK() const { return mCmdOK; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void unload();

    ClickableLabel* mLblTitle;
    QLabel* mLblVersion;
    QLabel* mLblDescription;
    ClickableLabel* mLabel3;
    QPushButton* mCmdSysInfo;
    QPushButton* mCmdOK;
};
