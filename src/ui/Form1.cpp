#include "ui/Form1.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "pipeline/cmd1.h"
#include "platform/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStringListModel>
#include <QPushButton>

namespace {
const QColor kGrey(192, 192, 192);

QString Plain(const QString& caption)
{
    return QString(caption).remove(QLatin1Char('&')).trimmed();
}
} // namespace

Form1::Form1()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Batch Documents"));
    setWindowIcon(QIcon(QStringLiteral(":/tallowin.svg")));
    setWindowFlags(Qt::Window);
    setFont(Fonts::MsSansSerif(8.25));
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kGrey);
    grey.setColor(QPalette::Button, kGrey);
    setPalette(grey);
    // Sizable border; the controls keep their places.
    resize(Twips(6690), Twips(3630));

    mFrame = new QGroupBox(QStringLiteral("Select folders:"), this);
    mFrame->setObjectName(QStringLiteral("Frame1"));
    mFrame->setGeometry(TwipsRect(120, 120, 3735, 2655));
    mFrame->setAccessibleName(mFrame->title());

    mLabel2 = new QLabel(QStringLiteral("Source:"), mFrame);
    mLabel2->setObjectName(QStringLiteral("Label2"));
    mLabel2->setGeometry(TwipsRect(360, 480, 975, 255));
    mTxtSrcFolder = new QLineEdit(mFrame);
    mTxtSrcFolder->setObjectName(QStringLiteral("txtSrcFolder"));
    mTxtSrcFolder->setGeometry(TwipsRect(480, 720, 2295, 405));
    mBtnSource = new QPushButton(QStringLiteral("Select..."), mFrame);
    mBtnSource->setObjectName(QStringLiteral("btnSource"));
    mBtnSource->setGeometry(TwipsRect(2880, 720, 735, 375));

    mLabel1 = new QLabel(QStringLiteral("Target:"), mFrame);
    mLabel1->setObjectName(QStringLiteral("Label1"));
    mLabel1->setGeometry(TwipsRect(360, 1200, 1095, 255));
    mTxtTgtFolder = new QLineEdit(mFrame);
    mTxtTgtFolder->setObjectName(QStringLiteral("txtTgtFolder"));
    mTxtTgtFolder->setGeometry(TwipsRect(480, 1440, 2295, 375));
    mBtnTarget = new QPushButton(QStringLiteral("Select..."), mFrame);
    mBtnTarget->setObjectName(QStringLiteral("btnTarget"));
    mBtnTarget->setGeometry(TwipsRect(2880, 1440, 735, 375));

    mLabel3 = new QLabel(QStringLiteral("Found Documents"), this);
    mLabel3->setObjectName(QStringLiteral("Label3"));
    mLabel3->setGeometry(TwipsRect(4080, 120, 1335, 255));
    mList1 = new QListView(this);
    mList1->setObjectName(QStringLiteral("List1"));
    mList1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mList1->setGeometry(TwipsRect(3960, 360, 2535, 2370));

    mCommand1 = new QPushButton(QStringLiteral("Start"), this);
    mCommand1->setObjectName(QStringLiteral("Command1"));
    mCommand1->setGeometry(TwipsRect(1320, 3000, 1215, 495));
    mCommand2 = new QPushButton(QStringLiteral("Cancel"), this);
    mCommand2->setObjectName(QStringLiteral("Command2"));
    mCommand2->setGeometry(TwipsRect(5280, 3000, 1215, 495));

    // The boxes show the folders that "Start" uses; what they show is set
    // only from the Mediator's record, never typed.
    for (QLineEdit* box : {mTxtSrcFolder, mTxtTgtFolder}) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::StrongFocus); // still reachable to read it
    }

    // What screen readers announce: the caption, or the label beside.
    for (QLabel* label : {mLabel1, mLabel2, mLabel3})
        label->setAccessibleName(label->text());
    mTxtSrcFolder->setAccessibleName(mLabel2->text());
    mTxtTgtFolder->setAccessibleName(mLabel1->text());
    mList1->setAccessibleName(mLabel3->text());
    for (QPushButton* button : {mBtnSource, mBtnTarget, mCommand1, mCommand2})
        button->setAccessibleName(Plain(button->text()));
    mBtnSource->setAccessibleDescription(QStringLiteral("Select a Source Folder"));
    mBtnTarget->setAccessibleDescription(QStringLiteral("Select a Target Folder"));

    // Tab order: Start, Cancel, the two folder boxes, the two "Select..."
    // buttons, the list.
    setTabOrder(mCommand1, mCommand2);
    setTabOrder(mCommand2, mTxtSrcFolder);
    setTabOrder(mTxtSrcFolder, mTxtTgtFolder);
    setTabOrder(mTxtTgtFolder, mBtnSource);
    setTabOrder(mBtnSource, mBtnTarget);
    setTabOrder(mBtnTarget, mList1);

    connect(mBtnSource, &QPushButton::clicked, this, [] {
        platform::RunHandler([] { gMediator->SourceFolder(); });
    });
    connect(mBtnTarget, &QPushButton::clicked, this, [] {
        platform::RunHandler([] { gMediator->TargetFolder(); });
    });
    connect(mCommand1, &QPushButton::clicked, this, [this] { platform::RunHandler([this] { start(); }); });
    connect(mCommand2, &QPushButton::clicked, this, &QWidget::hide);

    if (gMediator) {
        mList1->setModel(&gMediator->FoundDocuments());
        connect(gMediator.get(), &Mediator::foldersChanged, this, &Form1::showFolders);
        connect(gMediator.get(), &Mediator::runningChanged, this, &Form1::onRunningChanged);
        onRunningChanged(gMediator->IsRunning());
    }
}

void Form1::Form_Load() {}

void Form1::start()
{
    if (!gMediator || gMediator->IsRunning())
        return;
    hide();
    gMediator->StartStateTwo();
    mCmd = std::make_shared<cmd1>();
    mCmd->init(gMediator.get());
    static_cast<Command&>(*mCmd).Execute();
}

void Form1::showFolders()
{
    if (!gMediator)
        return;
    mTxtSrcFolder->setText(gMediator->GetSourceFolder());
    mTxtTgtFolder->setText(gMediator->GetTgtFolder());
    // A long path shows its end (the folder's own name); the whole path is
    // in the tip.
    mTxtSrcFolder->setToolTip(mTxtSrcFolder->text());
    mTxtTgtFolder->setToolTip(mTxtTgtFolder->text());
}

void Form1::onRunningChanged(bool running)
{
    // While a run lasts, nothing here may start or change one.
    mBtnSource->setEnabled(!running);
    mBtnTarget->setEnabled(!running);
    mCommand1->setEnabled(!running);
}

void Form1::showEvent(QShowEvent* event)
{
    showFolders();
    QWidget::showEvent(event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The close box unloads the dialog; the next use loads it with an empty
    // list.
    if (gMediator)
        gMediator->FoundDocuments().setStringList({});
    Forms::Release(this);
    event->accept();
    deleteLater();
}
