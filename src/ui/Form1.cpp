// SPDX-License-Identifier: MPL-2.0
#include "ui/Form1.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "pipeline/cmd1.h"
#include "platform/desktop/Dialogs.h"
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
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QLocale>
#include <algorithm>

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
    // Sizable border; the controls are placed by arrange().
    resize(Twips(6690), Twips(3630));

    createControls();
    describeControls();
    connectControls();
    showFound();
}

void Form1::createControls()
{
    mFrame = new QGroupBox(QStringLiteral("Select folders:"), this);
    mFrame->setObjectName(QStringLiteral("Frame1"));
    mFrame->setAccessibleName(mFrame->title());

    mLabel2 = new QLabel(QStringLiteral("Source:"), mFrame);
    mLabel2->setObjectName(QStringLiteral("Label2"));
    mLabel2->setGeometry(TwipsRect(360, 480, 975, 255));
    mTxtSrcFolder = new QLineEdit(mFrame);
    mTxtSrcFolder->setObjectName(QStringLiteral("txtSrcFolder"));
    mBtnSource = new QPushButton(QStringLiteral("Select..."), mFrame);
    mBtnSource->setObjectName(QStringLiteral("btnSource"));

    mLabel1 = new QLabel(QStringLiteral("Target:"), mFrame);
    mLabel1->setObjectName(QStringLiteral("Label1"));
    mLabel1->setGeometry(TwipsRect(360, 1200, 1095, 255));
    mTxtTgtFolder = new QLineEdit(mFrame);
    mTxtTgtFolder->setObjectName(QStringLiteral("txtTgtFolder"));
    mBtnTarget = new QPushButton(QStringLiteral("Select..."), mFrame);
    mBtnTarget->setObjectName(QStringLiteral("btnTarget"));

    mLabel3 = new QLabel(QStringLiteral("Found Documents"), this);
    mLabel3->setObjectName(QStringLiteral("Label3"));
    mList1 = new QListView(this);
    mList1->setObjectName(QStringLiteral("List1"));
    mList1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    mCommand1 = new QPushButton(QStringLiteral("Start"), this);
    mCommand1->setObjectName(QStringLiteral("Command1"));
    mCommand2 = new QPushButton(QStringLiteral("Cancel"), this);
    mCommand2->setObjectName(QStringLiteral("Command2"));
}

void Form1::describeControls()
{
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
}

void Form1::connectControls()
{
    connect(mBtnSource, &QPushButton::clicked, this, [] {
        platform::RunHandler([] { gMediator->SourceFolder(); });
    });
    connect(mBtnTarget, &QPushButton::clicked, this, [] {
        platform::RunHandler([] { gMediator->TargetFolder(); });
    });
    connect(mCommand1, &QPushButton::clicked, this, [this] { platform::RunHandler([this] { start(); }); });
    connect(mCommand2, &QPushButton::clicked, this, &QWidget::hide);

    if (gMediator) {
        QStringListModel& found = gMediator->FoundDocuments();
        mList1->setModel(&found);
        connect(&found, &QAbstractItemModel::modelReset, this, &Form1::showFound);
        connect(&found, &QAbstractItemModel::rowsInserted, this, &Form1::showFound);
        connect(&found, &QAbstractItemModel::rowsRemoved, this, &Form1::showFound);
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
    // The whole path is in the tip too.
    mTxtSrcFolder->setToolTip(mTxtSrcFolder->text());
    mTxtTgtFolder->setToolTip(mTxtTgtFolder->text());
    fitContents();
}

void Form1::showFound()
{
    // How many documents the chosen folder holds; before a folder is
    // chosen, what the list is.
    const int count = mList1->model() ? mList1->model()->rowCount() : 0;
    const QString text = gMediator && gMediator->GetSourceFolder().isEmpty() && count == 0
                             ? QStringLiteral("Found Documents")
                         : count == 0 ? QStringLiteral("No documents found")
                         : count == 1 ? QStringLiteral("1 document found")
                                      : QStringLiteral("%1 documents found").arg(QLocale().toString(count));
    mLabel3->setText(text);
    mLabel3->setAccessibleName(text);
    fitContents();
}

int Form1::boxesNeed() const
{
    // The text, its margins and the box's frame.
    constexpr int kBoxMargins = 14;
    int need = 0;
    for (const QLineEdit* box : {mTxtSrcFolder, mTxtTgtFolder})
        need = std::max(need, box->fontMetrics().horizontalAdvance(box->text()) + kBoxMargins - Twips(2295));
    return need;
}

int Form1::listNeeds() const
{
    if (!mList1->model() || mList1->model()->rowCount() == 0)
        return 0;
    const int width = mList1->sizeHintForColumn(0) + 2 * mList1->frameWidth() +
                      mList1->verticalScrollBar()->sizeHint().width();
    return std::max(0, width - Twips(2535));
}

void Form1::fitContents()
{
    const int wanted = Twips(6690) + boxesNeed() + listNeeds();
    int most = wanted;
    if (const QScreen* shown = screen())
        most = shown->availableGeometry().width() * 9 / 10;
    const int width = std::min(wanted, std::max(most, Twips(6690)));
    if (width > this->width())
        resize(width, height());
    else
        arrange();
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void Form1::arrange()
{
    // The controls sit where they sit at the dialog's first size; what the
    // dialog has beyond that goes, across, to the folder boxes and the list
    // as far as each needs it (the rest evenly), and down to the list.
    const int wider = std::max(0, width() - Twips(6690));
    const int taller = std::max(0, height() - Twips(3630));
    const int boxes = boxesNeed(), list = listNeeds();
    int toBoxes = boxes + list > 0 ? static_cast<int>(qint64(wider) * boxes / (boxes + list)) : wider / 2;
    if (boxes + list > 0 && wider > boxes + list)
        toBoxes = boxes + (wider - boxes - list) / 2;
    const int toList = wider - toBoxes;
    mFrame->setGeometry(TwipsRect(120, 120, 3735, 2655).adjusted(0, 0, toBoxes, taller));
    mTxtSrcFolder->setGeometry(TwipsRect(480, 720, 2295, 405).adjusted(0, 0, toBoxes, 0));
    mBtnSource->setGeometry(TwipsRect(2880, 720, 735, 375).translated(toBoxes, 0));
    mTxtTgtFolder->setGeometry(TwipsRect(480, 1440, 2295, 375).adjusted(0, 0, toBoxes, 0));
    mBtnTarget->setGeometry(TwipsRect(2880, 1440, 735, 375).translated(toBoxes, 0));
    // The label is as wide as the list, for its count.
    mLabel3->setGeometry(TwipsRect(4080, 120, 2415, 255).adjusted(toBoxes, 0, toBoxes + toList, 0));
    mList1->setGeometry(TwipsRect(3960, 360, 2535, 2370).adjusted(toBoxes, 0, toBoxes + toList, taller));
    mCommand1->setGeometry(TwipsRect(1320, 3000, 1215, 495).translated(toBoxes / 2, taller));
    mCommand2->setGeometry(TwipsRect(5280, 3000, 1215, 495).translated(toBoxes + toList, taller));
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
