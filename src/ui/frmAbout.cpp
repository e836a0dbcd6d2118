#include "ui/frmAbout.h"

#include "platform/Program.h"
#include "ui/Forms.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

frmAbout::frmAbout()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(Twips(5610), Twips(4140));
    mLblTitle = new QLabel(this);
    mLblTitle->setGeometry(TwipsRect(1560, 240, 2205, 240));
    mLblVersion = new QLabel(this);
    mLblVersion->setGeometry(TwipsRect(1560, 600, 2085, 315));
    mCmdOK = new QPushButton(QStringLiteral("OK"), this);
    mCmdOK->setGeometry(TwipsRect(4200, 3600, 1260, 345));
    mCmdOK->setDefault(true);
    connect(mCmdOK, &QPushButton::clicked, this, &frmAbout::unload);
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + platform::AppTitle());
    mLblVersion->setText(QStringLiteral("Version %1.%2.%3")
                             .arg(platform::VersionMajor())
                             .arg(platform::VersionMinor())
                             .arg(platform::VersionRevision()));
    mLblTitle->setText(platform::AppTitle());
}

void frmAbout::unload()
{
    Forms::Release(this);
    hide();
    deleteLater();
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    event->accept();
    unload();
}
