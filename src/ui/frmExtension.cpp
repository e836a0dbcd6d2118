#include "ui/frmExtension.h"

#include "platform/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

    mLstExt = new QListWidget(panel);
    mLstExt->setObjectName(QStringLiteral("LstExt"));
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

    setTabOrder(mLstExt, mTxtExtension);
    setTabOrder(mTxtExtension, mCmdAdd);
    setTabOrder(mCmdAdd, mCmdRemove);
    setTabOrder(mCmdRemove, mCmdExit);

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
        platform::MsgBox(QStringLiteral("You did not select an extension to remove."), platform::MsgButtons::OK,
                         platform::MsgIcon::None, QString(), this);
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
