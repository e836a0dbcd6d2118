// SPDX-License-Identifier: MPL-2.0
#include "ui/Form2.h"

#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Program.h"
#include "ui/DocumentListDelegate.h"
#include "ui/Form1.h"
#include "ui/Forms.h"
#include "ui/Twips.h"
#include "ui/frmAbout.h"
#include "ui/frmExtension.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>

namespace {
const QColor kGrey(192, 192, 192);
constexpr int kFrameMs = 16; // the status bar follows a batch at about the screen's rate
} // namespace

Form2::Form2()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Tallowin"));
    setWindowIcon(QIcon(QStringLiteral(":/tallowin.svg")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    createMenus();
    QWidget* panel = createPanel();
    createDocumentList(panel);
    createButtons(panel);
    createStatusBar();
    // The client area (panel and status bar) is 11490 x 6675 twips; the menu
    // bar comes on top of it. The window cannot be resized.
    const int clientHeight = Twips(6675);
    panel->setMinimumSize(Twips(11490), clientHeight - mStatusBar1->sizeHint().height());
    setFixedSize(Twips(11490), clientHeight + menuBar()->sizeHint().height());

    connectCommands();
    mStatusTimer.setInterval(kFrameMs);
    connect(&mStatusTimer, &QTimer::timeout, this, &Form2::RefreshStatus);
    connectLogic();
}

void Form2::createMenus()
{
    // Menus. Only "&File" has an access key; the others are reached from it
    // with the arrow keys (or F10).
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mMnuOpen = file->addAction(QStringLiteral("Open"));
    mMnuClose = file->addAction(QStringLiteral("Close"));
    mMnuExit = file->addAction(QStringLiteral("Exit"));
    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    mMnuBatch = tools->addAction(QStringLiteral("Batch"));
    mMnuExtensions = tools->addAction(QStringLiteral("Extensions..."));
    QMenu* about = menuBar()->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    mMnuInfo = about->addAction(QStringLiteral("Info"));
    mMnuOpen->setObjectName(QStringLiteral("mnuOpen"));
    mMnuClose->setObjectName(QStringLiteral("mnuClose"));
    mMnuExit->setObjectName(QStringLiteral("mnuExit"));
    mMnuBatch->setObjectName(QStringLiteral("mnuBatch"));
    mMnuExtensions->setObjectName(QStringLiteral("mnuExtensions"));
    mMnuInfo->setObjectName(QStringLiteral("mnuInfo"));
}

QWidget* Form2::createPanel()
{
    // The grey panel that fills the client area, and its controls.
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setAutoFillBackground(true);
    QPalette grey = panel->palette();
    grey.setColor(QPalette::Window, kGrey);
    grey.setColor(QPalette::Button, kGrey);
    panel->setPalette(grey);
    setCentralWidget(panel);
    return panel;
}

void Form2::createDocumentList(QWidget* panel)
{
    // The document list in report form: one line per row, two columns under
    // their headers, whole rows selected. The list keeps its own order, so
    // the headers do not sort.
    mListView1 = new QTableView(panel);
    mListView1->setObjectName(QStringLiteral("ListView1"));
    mListView1->setGeometry(TwipsRect(0, 0, 11415, 5415));
    mListView1->setAccessibleName(QStringLiteral("Documents"));
    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setStyleHint(QFont::SansSerif);
    bold.setPointSizeF(8.25);
    bold.setBold(true);
    mListView1->setFont(bold);
    mListView1->setShowGrid(false);
    mListView1->setWordWrap(false);
    mListView1->setTextElideMode(Qt::ElideRight);
    mListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    mListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    mListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mListView1->setTabKeyNavigation(false);
    mListView1->setCornerButtonEnabled(false);
    mListView1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    mListView1->setItemDelegate(new DocumentListDelegate(mListView1));
    QHeaderView* rows = mListView1->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(QFontMetrics(bold).height() + 4);
    QHeaderView* columns = mListView1->horizontalHeader();
    columns->setSectionsClickable(false);
    columns->setSectionsMovable(false);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void Form2::createButtons(QWidget* panel)
{
    mNext = new QPushButton(QStringLiteral("Next Document"), panel);
    mNext->setObjectName(QStringLiteral("Next"));
    mNext->setGeometry(TwipsRect(4320, 5760, 1575, 495));
    mNext->setAccessibleName(QStringLiteral("Next Document"));
    mNext->setVisible(false);

    mBtnExit = new QPushButton(QStringLiteral("Exit"), panel);
    mBtnExit->setObjectName(QStringLiteral("btnExit"));
    mBtnExit->setGeometry(TwipsRect(9840, 5640, 1335, 495));
    mBtnExit->setAccessibleName(QStringLiteral("Exit"));
}

void Form2::createStatusBar()
{
    // The status bar: why the current row's document failed on the left,
    // how far a batch has got on the right. Both are plain labels, so that
    // assistive technology reads them as they change.
    mStatusBar1 = new QStatusBar(this);
    mStatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    mStatusBar1->setSizeGripEnabled(false);
    mStatusReason = new QLabel(mStatusBar1);
    mStatusReason->setObjectName(QStringLiteral("StatusReason"));
    mStatusReason->setTextFormat(Qt::PlainText);
    mStatusProgress = new QLabel(mStatusBar1);
    mStatusProgress->setObjectName(QStringLiteral("StatusProgress"));
    mStatusProgress->setTextFormat(Qt::PlainText);
    mStatusBar1->addWidget(mStatusReason, 1);
    mStatusBar1->addPermanentWidget(mStatusProgress);
    setStatusBar(mStatusBar1);
}

void Form2::connectCommands()
{
    connect(mMnuOpen, &QAction::triggered, this, [] {
        platform::RunHandler([] { gMediator->SingleSourceFile(); });
    });
    connect(mMnuClose, &QAction::triggered, this, [] {
        platform::RunHandler([] {
            if (!gMediator->IsRunning())
                gMediator->StartStateThree();
        });
    });
    connect(mMnuExit, &QAction::triggered, this, [] { platform::EndProgram(0); });
    connect(mBtnExit, &QPushButton::clicked, this, [] { platform::EndProgram(0); });
    connect(mMnuBatch, &QAction::triggered, this, [] {
        platform::RunHandler([] {
            if (!gMediator->IsRunning())
                platform::ShowModal(&Forms::Get<Form1>(), nullptr);
        });
    });
    connect(mMnuExtensions, &QAction::triggered, this, [] {
        platform::RunHandler([] {
            frmExtension& manager = Forms::Get<frmExtension>();
            manager.show();
            manager.raise();
            manager.activateWindow();
        });
    });
    connect(mMnuInfo, &QAction::triggered, this, [] {
        platform::RunHandler([] {
            frmAbout& box = Forms::Get<frmAbout>();
            box.show();
            box.raise();
            box.activateWindow();
        });
    });
}

Form2::~Form2() = default;

void Form2::Form_Load()
{
    // Report view, sorted descending by the first column (the list keeps
    // that order itself), whole-row selection. About 10000 and 1400 twips,
    // within the visible width.
    QHeaderView* columns = mListView1->horizontalHeader();
    columns->resizeSection(0, Twips(9950));
    columns->resizeSection(1, Twips(1400));
}

void Form2::connectLogic()
{
    if (!gMediator)
        return;
    DocumentList& documents = gMediator->Documents();
    mListView1->setModel(&documents);
    // Views lose their current row when the list is reset for new rows:
    // keep the user's place, and whether it was selected, by the row's
    // document. Everything the window reads for a row (its reason) it reads
    // through the view's index, which names the row the view shows there.
    connect(&documents, &QAbstractItemModel::modelAboutToBeReset, this, &Form2::rememberCurrent);
    connect(&documents, &QAbstractItemModel::modelReset, this, &Form2::restoreCurrent);
    connect(&documents, &QAbstractItemModel::dataChanged, this,
            [this] { showReason(mListView1->currentIndex()); });
    connect(mListView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!mResetting)
                    showReason(current);
            });
    connect(gMediator.get(), &Mediator::runningChanged, this, &Form2::onRunningChanged);
    onRunningChanged(gMediator->IsRunning());
}

void Form2::rememberCurrent()
{
    mResetting = true;
    const QModelIndex current = mListView1->currentIndex();
    const auto row = gMediator->Documents().RowAt(current);
    mCurrentKey = row ? row->Key : QString();
    mCurrentSelected = row && mListView1->selectionModel()->isRowSelected(current.row());
}

void Form2::restoreCurrent()
{
    // Lay the list out now rather than at the next event pass, which would
    // paint it a second time for the same rows.
    mListView1->doItemsLayout();
    // The list's column widths survive a reset; the current row is found
    // again by its document (a new row above it moves it down).
    mResetting = false;
    const QModelIndex current = mCurrentKey.isEmpty() ? QModelIndex() : gMediator->Documents().IndexOf(mCurrentKey);
    if (current.isValid()) {
        const auto how = mCurrentSelected ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                                          : QItemSelectionModel::NoUpdate;
        mListView1->selectionModel()->setCurrentIndex(current, how);
    }
    showReason(mListView1->currentIndex());
    RefreshStatus();
}

void Form2::showReason(const QModelIndex& current)
{
    QString reason;
    if (gMediator) {
        if (const auto row = gMediator->Documents().RowAt(current))
            reason = row->Reason;
    }
    if (mStatusReason->text() != reason)
        mStatusReason->setText(reason);
}

void Form2::RefreshStatus()
{
    if (!gMediator)
        return;
    const QString progress = gMediator->Progress().Text(gMediator->Documents());
    if (mStatusProgress->text() != progress)
        mStatusProgress->setText(progress);
}

void Form2::Show()
{
    if (!mCentred) {
        mCentred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    // A visible window is left where it is: a batch shows the window once
    // per document, and must not pull it in front of the user's other work
    // every time.
    if (isVisible() && !isMinimized())
        return;
    showNormal();
    raise();
}

void Form2::onRunningChanged(bool running)
{
    // While a run lasts, the commands that start or change a run are off,
    // and the status bar follows it.
    mMnuOpen->setEnabled(!running);
    mMnuClose->setEnabled(!running);
    mMnuBatch->setEnabled(!running);
    if (running) {
        mStatusTimer.start();
    } else {
        mStatusTimer.stop();
        gMediator->Documents().Publish();
        RefreshStatus();
    }
}

void Form2::closeEvent(QCloseEvent* event)
{
    event->accept();
    platform::EndProgram(0);
}
