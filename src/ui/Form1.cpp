#include "ui/Form1.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "pipeline/cmd1.h"
#include "platform/Dialogs.h"
#include "ui/Forms.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

Form1::Form1()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Batch Documents"));
    resize(Twips(6690), Twips(3630));
    mTxtSrcFolder = new QLineEdit(this);
    mTxtSrcFolder->setReadOnly(true);
    mTxtSrcFolder->setGeometry(TwipsRect(600, 840, 2295, 405));
    mBtnSource = new QPushButton(QStringLiteral("Select..."), this);
    mBtnSource->setGeometry(TwipsRect(3000, 840, 735, 375));
    mTxtTgtFolder = new QLineEdit(this);
    mTxtTgtFolder->setReadOnly(true);
    mTxtTgtFolder->setGeometry(TwipsRect(600, 1560, 2295, 375));
    mBtnTarget = new QPushButton(QStringLiteral("Select..."), this);
    mBtnTarget->setGeometry(TwipsRect(3000, 1560, 735, 375));
    mList1 = new QListWidget(this);
    mList1->setGeometry(TwipsRect(3960, 360, 2535, 2370));
    mCommand1 = new QPushButton(QStringLiteral("Start"), this);
    mCommand1->setGeometry(TwipsRect(1320, 3000, 1215, 495));
    mCommand2 = new QPushButton(QStringLiteral("Cancel"), this);
    mCommand2->setGeometry(TwipsRect(5280, 3000, 1215, 495));
    connect(mBtnSource, &QPushButton::clicked, this, [] { platform::RunHandler([] { gMediator->SourceFolder(); }); });
    connect(mBtnTarget, &QPushButton::clicked, this, [] { platform::RunHandler([] { gMediator->TargetFolder(); }); });
    connect(mCommand1, &QPushButton::clicked, this, [this] { platform::RunHandler([this] { start(); }); });
    connect(mCommand2, &QPushButton::clicked, this, &QWidget::hide);
}

void Form1::Form_Load() {}

void Form1::start()
{
    if (gMediator->IsRunning())
        return;
    hide();
    gMediator->StartStateTwo();
    mCmd = std::make_shared<cmd1>();
    mCmd->init(gMediator.get());
    static_cast<Command&>(*mCmd).Execute();
}

void Form1::closeEvent(QCloseEvent* event)
{
    Forms::Release(this);
    event->accept();
    deleteLater();
}
