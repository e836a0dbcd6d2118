// SPDX-License-Identifier: MPL-2.0
#include "ui/Form3.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "platform/desktop/Dialogs.h"
#include "ui/ClickableLabel.h"
#include "ui/Fonts.h"
#include "ui/Form1.h"
#include "ui/Forms.h"
#include "ui/MakerCredits.h"
#include "ui/OwnedWindow.h"
#include "ui/Twips.h"
#include "ui/WebLink.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {

// A picture: the image at the top left of its area, as large as drawn.
QLabel* MakePicture(const QString& resource, QSize imageSize, const QRect& geometry, QWidget* parent,
                    const char* name, const QString& description)
{
    auto* picture = new QLabel(parent);
    picture->setObjectName(QLatin1String(name));
    picture->setGeometry(geometry);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(QIcon(resource).pixmap(imageSize));
    picture->setAccessibleName(description);
    return picture;
}

} // namespace

Form3::Form3()
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Quick Start"));
    setWindowIcon(QIcon(QStringLiteral(":/tallowin.svg")));
    // Fixed single border, no minimize or maximize box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips(8655), Twips(4935));
    setFont(Fonts::MsSansSerif(9.75, true));

    // The white panel that fills the client area.
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setGeometry(rect());
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);

    createPicturesAndTexts(panel);
    createButtons(panel);
    connectButtons();
}

void Form3::createPicturesAndTexts(QWidget* panel)
{
    // The pictures come first: the buttons stand in front of them.
    MakePicture(QStringLiteral(":/single.svg"), QSize(49, 60), TwipsRect(5280, 1320, 3015, 1095), panel,
                "picSingle", QStringLiteral("One document"));
    MakePicture(QStringLiteral(":/batch.svg"), QSize(68, 79), TwipsRect(5280, 2400, 3015, 1215), panel,
                "picBatch", QStringLiteral("A folder of documents"));

    QLabel* title = MakeLabel(QStringLiteral("Tallowin"), TwipsRect(120, 360, 5055, 495), panel, "Label2");
    title->setAlignment(Qt::AlignCenter);
    title->setFont(Fonts::Arial(20.25, true));
    title->setAutoFillBackground(true);
    QPalette window = title->palette();
    window.setColor(QPalette::Window, palette().color(QPalette::Base));
    title->setPalette(window);

    QLabel* select = MakeLabel(QStringLiteral("Select one..."), TwipsRect(4800, 960, 2655, 255), panel, "Label1");
    select->setFont(Fonts::Arial(12, true));

    mLabel3 = AddMakerCredits(panel, 2040, WebLink::MakerText(), QStringLiteral("Opens the web site in the browser"));
    QLabel* converts = MakeLabel(QStringLiteral("Converts WordPerfect Documents to Microsoft Word"),
                                 TwipsRect(240, 3960, 5775, 375), panel, "Label5");
    converts->setFont(Fonts::MsSansSerif(8.25, true));
}

void Form3::createButtons(QWidget* panel)
{
    mBtnSingle = new QPushButton(QStringLiteral("Open Document"), panel);
    mBtnSingle->setObjectName(QStringLiteral("btnSingle"));
    mBtnSingle->setGeometry(TwipsRect(6600, 1440, 1455, 735));
    mBtnSingle->setFont(Fonts::Arial(8.25));
    mBtnBatch = new QPushButton(QStringLiteral("BatchDocuments"), panel);
    mBtnBatch->setObjectName(QStringLiteral("btnBatch"));
    mBtnBatch->setGeometry(TwipsRect(6600, 2640, 1455, 735));
    mBtnBatch->setFont(Fonts::Arial(8.25));
    mBtnCancel = new QPushButton(QStringLiteral("Cancel"), panel);
    mBtnCancel->setObjectName(QStringLiteral("btnCancel"));
    mBtnCancel->setGeometry(TwipsRect(6720, 4080, 1455, 615));
    mBtnCancel->setFont(Fonts::MsSansSerif(8.25));
    for (QPushButton* button : {mBtnSingle, mBtnBatch, mBtnCancel}) {
        button->setAccessibleName(button->text());
        button->setAutoDefault(false);
    }

    setTabOrder(mBtnSingle, mBtnBatch);
    setTabOrder(mBtnBatch, mBtnCancel);
    setTabOrder(mBtnCancel, mLabel3);
}

void Form3::connectButtons()
{
    connect(mBtnSingle, &QPushButton::clicked, this, [this] {
        hide();
        platform::RunHandler([] { gMediator->SingleSourceFile(); });
    });
    connect(mBtnBatch, &QPushButton::clicked, this, [this] {
        hide();
        platform::RunHandler([] { platform::ShowModal(&Forms::Get<Form1>(), nullptr); });
    });
    connect(mBtnCancel, &QPushButton::clicked, this, &QWidget::hide);
    connect(mLabel3, &ClickableLabel::clicked, this,
            [this] { platform::RunHandler([this] { WebLink::Open(WebLink::MakerAddress(), this); }); });
}

void Form3::Form_Load() {}

void Form3::showEvent(QShowEvent* event)
{
    // Owned by the main window and centred on it; the first button has the
    // focus.
    OwnedWindow::AttachToMainWindow(this, true);
    mBtnSingle->setFocus(Qt::OtherFocusReason);
    QWidget::showEvent(event);
}

void Form3::closeEvent(QCloseEvent* event)
{
    // The close box unloads the chooser; nothing else happens.
    Forms::Release(this);
    event->accept();
    deleteLater();
}
