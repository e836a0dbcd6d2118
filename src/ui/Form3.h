#pragma once

#include <QWidget>

class QPushButton;

// The start chooser: convert one document or a whole folder.
class Form3 final : public QWidget {
    Q_OBJECT

public:
    Form3();
    void Form_Load();

    QPushButton* btnSingle() const { return mBtnSingle; }
    QPushButton* btnBatch() const { return mBtnBatch; }
    QPushButton* btnCancel() const { return mBtnCancel; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* mBtnSingle;
    QPushButton* mBtnBatch;
    QPushButton* mBtnCancel;
};
