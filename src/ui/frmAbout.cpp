// SPDX-License-Identifier: MPL-2.0
#include "ui/frmAbout.h"

#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Program.h"
#include "ui/ClickableLabel.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/MakerCredits.h"
#include "ui/OwnedWindow.h"
#include "ui/Twips.h"
#include "ui/WebLink.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

QFrame* MakeLine(const QColor& colour, int top, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setGeometry(Twips(100), Twips(top), Twips(5654) - Twips(100), 1);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, colour);
    line->setPalette(p);
    return line;
}

void SetBlackText(QLabel* label)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
}

} // namespace

frmAbout::frmAbout()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    // Fixed dialog border, no minimize or maximize box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips(5610), Twips(4140));
    setFont(Fonts::MsSansSerif(8.25));
    setModal(false);

    mLblTitle = new ClickableLabel(QString(), this);
    mLblTitle->setObjectName(QStringLiteral("lblTitle"));
    mLblTitle->setGeometry(TwipsRect(1560, 240, 2205, 240));
    SetBlackText(mLblTitle);
    mLblVersion = MakeLabel(QString(), TwipsRect(1560, 600, 2085, 315), this, "lblVersion");
    mLblDescription = MakeLabel(QStringLiteral("Converts WordPerfect documents to Word"),
                                TwipsRect(1080, 1080, 3045, 450), this, "lblDescription");
    SetBlackText(mLblDescription);
    mLblDescription->setWordWrap(true);

    MakeLine(QColor(128, 128, 128), 2445, this)->setObjectName(QStringLiteral("Line1"));
    MakeLine(Qt::white, 2460, this)->setObjectName(QStringLiteral("Line2"));

    mLabel3 = AddMakerCredits(this, 2640, WebLink::ProductText(),
                              QStringLiteral("Opens the product's web page in the browser"));

    mCmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    mCmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    mCmdSysInfo->setGeometry(TwipsRect(4260, 3075, 1245, 345));
    mCmdSysInfo->setAccessibleName(QStringLiteral("System Info..."));
    mCmdSysInfo->setAutoDefault(false);
    mCmdSysInfo->setVisible(false); // nothing shows it

    mCmdOK = new QPushButton(QStringLiteral("OK"), this);
    mCmdOK->setObjectName(QStringLiteral("cmdOK"));
    mCmdOK->setGeometry(TwipsRect(4200, 3600, 1260, 345));
    mCmdOK->setAccessibleName(QStringLiteral("OK"));
    mCmdOK->setDefault(true); // Enter; Esc comes to reject()

    // "OK" first, then the two clickable labels.
    setTabOrder(mCmdOK, mLblTitle);
    setTabOrder(mLblTitle, mLabel3);

    connect(mCmdOK, &QPushButton::clicked, this, &frmAbout::unload);
    connect(mLblTitle, &ClickableLabel::clicked, this, [this] {
        platform::MsgBox(QStringLiteral("This application has been created by Oren Tasker on September 24 2002"),
                         platform::MsgButtons::OK, platform::MsgIcon::None, QString(), this);
    });
    connect(mLabel3, &ClickableLabel::clicked, this,
            [this] { platform::RunHandler([this] { WebLink::Open(WebLink::ProductAddress(), this); }); });
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + platform::AppTitle());
    mLblVersion->setText(QStringLiteral("Version %1.%2.%3")
                             .arg(platform::VersionMajor())
                             .arg(platform::VersionMinor())
                             .arg(platform::VersionRevision()));
    mLblVersion->setAccessibleName(mLblVersion->text());
    mLblTitle->setText(platform::AppTitle());
    mLblTitle->setAccessibleName(mLblTitle->text());
}

void frmAbout::reject()
{
    // Esc: like "OK".
    unload();
}

void frmAbout::unload()
{
    Forms::Release(this);
    hide();
    deleteLater();
}

void frmAbout::showEvent(QShowEvent* event)
{
    OwnedWindow::AttachToMainWindow(this, false);
    mCmdOK->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    event->accept();
    unload();
}
