// SPDX-License-Identifier: MPL-2.0
#include "ui/frmExtension.h"

#include "core/ExtensionList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "platform/desktop/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QColor kLightGrey(224, 224, 224);
}

frmExtension::frmExtension()
{
    setObjectName(QStringLiteral("frmExtension"));
    setWindowTitle(QStringLiteral("Extension manager"));
    setWindowIcon(QIcon(QStringLiteral(":/tallowin.svg")));
    setWindowFlags(Qt::Window);
    setFont(Fonts::MsSansSerif(8.25));
    // Sizable border; the light-grey panel fills the client area.
    resize(Twips(4770), Twips(2850));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setAutoFillBackground(true);
    QPalette grey = panel->palette();
    grey.setColor(QPalette::Window, kLightGrey);
    grey.setColor(QPalette::Button, kLightGrey);
    panel->setPalette(grey);
    layout->addWidget(panel);

    createListAndBox(panel);
    createButtons(panel);
    setTabOrder(mLstExt, mTxtExtension);
    setTabOrder(mTxtExtension, mCmdAdd);
    setTabOrder(mCmdAdd, mCmdRemove);
    setTabOrder(mCmdRemove, mCmdExit);

    connect(mCmdAdd, &QPushButton::clicked, this, &frmExtension::add);
    connect(mCmdRemove, &QPushButton::clicked, this, &frmExtension::remove);
    connect(mCmdExit, &QPushButton::clicked, this, &QWidget::hide);
}

void frmExtension::createListAndBox(QWidget* panel)
{
    mLstExt = new QListView(panel);
    mLstExt->setObjectName(QStringLiteral("LstExt"));
    mLstExt->setEditTriggers(QAbstractItemView::NoEditTriggers);
    if (gMediator)
        mLstExt->setModel(&gMediator->Extensions());
    // Several entries can be removed at once (Ctrl/Shift with the mouse or
    // the keyboard).
    mLstExt->setSelectionMode(QAbstractItemView::ExtendedSelection);
    mLstExt->setGeometry(TwipsRect(0, 120, 3495, 1815));
    mLstExt->setAccessibleName(QStringLiteral("Extensions"));
    mTxtExtension = new QLineEdit(panel);
    mTxtExtension->setObjectName(QStringLiteral("txtExtension"));
    mTxtExtension->setGeometry(TwipsRect(960, 2040, 2535, 375));
    auto* label = new QLabel(QStringLiteral("Extension:"), panel);
    label->setObjectName(QStringLiteral("Label2"));
    label->setGeometry(TwipsRect(120, 2160, 975, 255));
    label->setBuddy(mTxtExtension);
    label->setAccessibleName(label->text());
    mTxtExtension->setAccessibleName(label->text());
    // The text box stands over the label's right end: keep it in front.
    mTxtExtension->raise();
}

void frmExtension::createButtons(QWidget* panel)
{
    auto* group = new QGroupBox(panel);
    group->setObjectName(QStringLiteral("Frame1"));
    group->setGeometry(TwipsRect(3480, 120, 1215, 1815));
    group->setAccessibleName(QStringLiteral("Edit the list"));
    mCmdAdd = new QPushButton(QStringLiteral("&Add"), group);
    mCmdAdd->setObjectName(QStringLiteral("cmdAddMovie"));
    mCmdAdd->setGeometry(TwipsRect(120, 240, 975, 375));
    mCmdAdd->setAccessibleName(QStringLiteral("Add"));
    mCmdRemove = new QPushButton(QStringLiteral("&Remove "), group);
    mCmdRemove->setObjectName(QStringLiteral("Command2"));
    mCmdRemove->setGeometry(TwipsRect(120, 720, 975, 375));
    mCmdRemove->setAccessibleName(QStringLiteral("Remove"));
    mCmdExit = new QPushButton(QStringLiteral("E&xit"), panel);
    mCmdExit->setObjectName(QStringLiteral("cmdExit"));
    mCmdExit->setGeometry(TwipsRect(3600, 2400, 975, 375));
    mCmdExit->setAccessibleName(QStringLiteral("Exit"));
}

void frmExtension::Form_Load() {}

void frmExtension::add()
{
    const QString text = mTxtExtension->text();
    if (text.isEmpty() || !gMediator)
        return;
    gMediator->Extensions().AddItem(text);
}

void frmExtension::remove()
{
    const QItemSelectionModel* selection = mLstExt->selectionModel();
    if (!gMediator || !selection || !selection->hasSelection()) {
        platform::MsgBox(QStringLiteral("You did not select an extension to remove."), platform::MsgButtons::OK,
                         platform::MsgIcon::None, QString(), this);
        return;
    }
    // From the last entry down, so that the places still to visit keep
    // their numbers.
    ExtensionList& list = gMediator->Extensions();
    for (int i = list.ListCount() - 1; i >= 0; --i) {
        if (selection->isRowSelected(i, QModelIndex()))
            list.RemoveItem(i);
    }
}

void frmExtension::closeEvent(QCloseEvent* event)
{
    // The close box unloads the window: its list goes with it, and the next
    // start of the list holds "wpd" alone.
    if (gMediator)
        gMediator->Extensions().Reset();
    Forms::Release(this);
    event->accept();
    deleteLater();
}
