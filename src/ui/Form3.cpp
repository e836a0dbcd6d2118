#include "ui/Form3.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "platform/Dialogs.h"
#include "ui/Form1.h"
#include "ui/Forms.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QPushButton>

Form3::Form3()
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Quick Start"));
    resize(Twips(8655), Twips(4935));
    mBtnSingle = new QPushButton(QStringLiteral("Open Document"), this);
    mBtnSingle->setGeometry(TwipsRect(6600, 1440, 1455, 735));
    mBtnBatch = new QPushButton(QStringLiteral("BatchDocuments"), this);
    mBtnBatch->setGeometry(TwipsRect(6600, 2640, 1455, 735));
    mBtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    mBtnCancel->setGeometry(TwipsRect(6720, 4080, 1455, 615));
    connect(mBtnSingle, &QPushButton::clicked, this, [this] {
        hide();
        platform::RunHandler([] { gMediator->SingleSourceFile(); });
    });
    connect(mBtnBatch, &QPushButton::clicked, this, [this] {
        hide();
        platform::RunHandler([] { platform::ShowModal(&Forms::Get<Form1>(), nullptr); });
    });
    connect(mBtnCancel, &QPushButton::clicked, this, &QWidget::hide);
}

void Form3::Form_Load() {}

void Form3::closeEvent(QCloseEvent* event)
{
    Forms::Release(this);
    event->accept();
    deleteLater();
}
