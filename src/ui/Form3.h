// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QWidget>

class ClickableLabel;
class QLabel;
class QPushButton;

// The start chooser: convert one document or a whole folder. Each button
// hides the chooser first, then starts what it names.
class Form3 final : public QWidget {
    Q_OBJECT

public:
    Form3();
    void Form_Load();

    QPushButton* btnSingle() const { return mBtnSingle; }
    QPushButton* btnBatch() const { return mBtnBatch; }
    QPushButton* btnCancel() const { return mBtnCancel; }
    ClickableLabel* Label3() const { return mLabel3; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The window's parts, made by the constructor in this order (the
    // pictures first: the buttons stand in front of them).
    void createPicturesAndTexts(QWidget* panel);
    void createButtons(QWidget* panel);
    void connectButtons();
    QPushButton* mBtnSingle;
    QPushButton* mBtnBatch;
    QPushButton* mBtnCancel;
    ClickableLabel* mLabel3;
};
