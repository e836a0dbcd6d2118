#include "ui/Form2.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "platform/CommonDialog.h"
#include "platform/Dialogs.h"
#include "platform/FileListBox.h"
#include "platform/ListView.h"
#include "platform/Program.h"
#include "ui/Form1.h"
#include "ui/Forms.h"
#include "ui/Twips.h"
#include "ui/frmAbout.h"
#include "ui/frmExtension.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

namespace {
const QColor kGrey(192, 192, 192);
}

Form2::Form2()
    : mFileList(std::make_unique<platform::FileListBox>()),
      mCommonDialog1(std::make_unique<platform::CommonDialog>(this))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Tallowin"));
    setWindowIcon(QIcon(QStringLiteral(":/tallowin.svg")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

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

    // The grey panel that fills the client area, and its controls.
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setAutoFillBackground(true);
    QPalette grey = panel->palette();
    grey.setColor(QPalette::Window, kGrey);
    grey.setColor(QPalette::Button, kGrey);
    panel->setPalette(grey);
    setCentralWidget(panel);

    mListView1 = new platform::ListView(panel);
    mListView1->setObjectName(QStringLiteral("ListView1"));
    mListView1->setGeometry(TwipsRect(0, 0, 11415, 5415));
    mListView1->setAccessibleName(QStringLiteral("Documents"));
    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setStyleHint(QFont::SansSerif);
    bold.setPointSizeF(8.25);
    bold.setBold(true);
    mListView1->setFont(bold);

    mNext = new QPushButton(QStringLiteral("Next Document"), panel);
    mNext->setObjectName(QStringLiteral("Next"));
    mNext->setGeometry(TwipsRect(4320, 5760, 1575, 495));
    mNext->setAccessibleName(QStringLiteral("Next Document"));
    mNext->setVisible(false);

    mBtnExit = new QPushButton(QStringLiteral("Exit"), panel);
    mBtnExit->setObjectName(QStringLiteral("btnExit"));
    mBtnExit->setGeometry(TwipsRect(9840, 5640, 1335, 495));
    mBtnExit->setAccessibleName(QStringLiteral("Exit"));

    mStatusBar1 = new QStatusBar(this);
    mStatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    mStatusBar1->setSizeGripEnabled(false);
    setStatusBar(mStatusBar1);

    // The client area (panel and status bar) is 11490 x 6675 twips; the menu
    // bar comes on top of it. The window cannot be resized.
    const int clientHeight = Twips(6675);
    panel->setMinimumSize(Twips(11490), clientHeight - mStatusBar1->sizeHint().height());
    setFixedSize(Twips(11490), clientHeight + menuBar()->sizeHint().height());

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
    connectRunGuard();
}

Form2::~Form2() = default;

void Form2::Form_Load()
{
    // Report view, sorted descending by the first column (the list keeps
    // that order itself), whole-row selection.
    mListView1->setColumns({QStringLiteral("File Name:"), QStringLiteral("Status:")},
                           {Twips(9950), Twips(1400)}); // about 10000 and 1400 twips, within the visible width
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

void Form2::connectRunGuard()
{
    if (!gMediator)
        return;
    connect(gMediator.get(), &Mediator::runningChanged, this, &Form2::onRunningChanged);
    onRunningChanged(gMediator->IsRunning());
}

void Form2::onRunningChanged(bool running)
{
    // While a run lasts, the commands that start or change a run are off.
    mMnuOpen->setEnabled(!running);
    mMnuClose->setEnabled(!running);
    mMnuBatch->setEnabled(!running);
}

void Form2::closeEvent(QCloseEvent* event)
{
    event->accept();
    platform::EndProgram(0);
}
