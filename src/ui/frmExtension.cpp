#include "ui/frmExtension.h"

#include "platform/Dialogs.h"
#include "ui/Forms.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

frmExtension::frmExtension()
{
    setObjectName(QStringLiteral("frmExtension"));
    setWindowTitle(QStringLiteral("Extension manager"));
    resize(Twips(4770), Twips(2850));
    mLstExt = new QListWidget(this);
    mLstExt->setObjectName(QStringLiteral("LstExt"));
    mLstExt->setSelectionMode(QAbstractItemView::ExtendedSelection);
    mLstExt->setGeometry(TwipsRect(0, 120, 3495, 1815));
    mTxtExtension = new QLineEdit(this);
    mTxtExtension->setObjectName(QStringLiteral("txtExtension"));
    mTxtExtension->setGeometry(TwipsRect(960, 2040, 2535, 375));
    auto* label = new QLabel(QStringLiteral("Extension:"), this);
    label->setGeometry(TwipsRect(120, 2160, 975, 255));
    label->setBuddy(mTxtExtension);
    auto* group = new QGroupBox(this);
    group->setGeometry(TwipsRect(3480, 120, 1215, 1815));
    mCmdAdd = new QPushButton(QStringLiteral("&Add"), group);
    mCmdAdd->setObjectName(QStringLiteral("cmdAddMovie"));
    mCmdAdd->setGeometry(TwipsRect(120, 240, 975, 375));
    mCmdRemove = new QPushButton(QStringLiteral("&Remove "), group);
    mCmdRemove->setObjectName(QStringLiteral("Command2"));
    mCmdRemove->setGeometry(TwipsRect(120, 720, 975, 375));
    mCmdExit = new QPushButton(QStringLiteral("E&xit"), this);
    mCmdExit->setObjectName(QStringLiteral("cmdExit"));
    mCmdExit->setGeometry(TwipsRect(3600, 2400, 975, 375));
    connect(mCmdAdd, &QPushButton::clicked, this, &frmExtension::add);
    connect(mCmdRemove, &QPushButton::clicked, this, &frmExtension::remove);
    connect(mCmdExit, &QPushButton::clicked, this, &QWidget::hide);
}

void frmExtension::Form_Load()
{
    mLstExt->addItem(QStringLiteral("wpd"));
}

void frmExtension::add()
{
    const QString text = mTxtExtension->text();
    if (text.isEmpty())
        return;
    mLstExt->addItem(text);
}

void frmExtension::remove()
{
    if (mLstExt->selectedItems().isEmpty()) {
        platform::MsgBox(QStringLiteral("You did not select an extension to remove."));
        return;
    }
    for (int i = mLstExt->count() - 1; i >= 0; --i) {
        if (mLstExt->item(i)->isSelected())
            delete mLstExt->takeItem(i);
    }
}

void frmExtension::closeEvent(QCloseEvent* event)
{
    // The close box unloads the window: its list goes with it.
    Forms::Release(this);
    event->accept();
    deleteLater();
}
