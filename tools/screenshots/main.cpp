// SPDX-License-Identifier: MPL-2.0
// Renders every window of Tallowin to PNG files, as the user would see them,
// on Qt's offscreen platform (no display needed):
//
//   tallowin-screenshots OUTPUT_DIR
//
// The main window shows the rows of a small batch run against a stand-in
// word processor (one document fails to open); the batch folder dialog shows
// that batch's folders and the documents found.
#include "StillDialogs.h"
#include "StillServer.h"

#include "app/StartUp.h"
#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "platform/automation/ProgIdRegistry.h"
#include "platform/desktop/Program.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Forms.h"
#include "ui/frmAbout.h"
#include "ui/frmExtension.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

void Settle()
{
    // Let pending layout, polish and throttled list repaints happen.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 150)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget& window, const QString& folder, const QString& name)
{
    window.show();
    Settle();
    const QString path = folder + QLatin1Char('/') + name;
    const bool ok = window.grab().save(path, "PNG");
    QTextStream(ok ? stdout : stderr) << (ok ? "wrote " : "could not write ") << path << "  (" << window.windowTitle()
                                       << ", " << window.width() << "x" << window.height() << ")\n";
    return ok;
}

void MakeFile(const QString& path)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("document\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: tallowin-screenshots OUTPUT_DIR\n";
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!QDir().mkpath(out)) {
        QTextStream(stderr) << "cannot create " << out << "\n";
        return 1;
    }

    // A program folder with the clean-up macro, and a few documents.
    QTemporaryDir work;
    platform::SetAppPath(work.path());
    MakeFile(work.path() + QStringLiteral("/RmvDelayCode.wcm"));
    const QString source = work.path() + QStringLiteral("/Documents");
    const QString target = work.path() + QStringLiteral("/Converted");
    QDir().mkpath(source);
    QDir().mkpath(target);
    for (const char* name : {"Annual report 2002.wpd", "letter to bank.wpd", "memo.WPD", "minutes.wpd", "notes.txt",
                             "price list.wpd", "Minutes of the general meeting, 14 March 2002.wpd"})
        MakeFile(source + QLatin1Char('/') + QLatin1String(name));

    platform::ProgIdRegistry::Register(QStringLiteral("WordPerfect.PerfectScript"),
                                       [] { return std::make_shared<StillServer>(QStringLiteral("minutes.wpd")); });
    StillDialogs dialogs;
    platform::SetDialogProvider(&dialogs);

    // Start-up as Main does it, without waiting in the start chooser.
    gMediator = std::make_shared<Mediator>();
    gMediator->SetUserInterface(&General::Windows());
    Forms::Get<frmExtension>();
    gMediator->init();
    Form2& main = Forms::Get<Form2>();
    main.Show();

    bool ok = true;
    Form3& chooser = Forms::Get<Form3>();
    ok &= Save(chooser, out, QStringLiteral("start-chooser.png"));
    chooser.hide();

    // A batch: choose both folders in the dialog, then "Start".
    Form1& batch = Forms::Get<Form1>();
    batch.show();
    dialogs.folderAnswers = {source, target};
    batch.btnSource()->click();
    batch.btnTarget()->click();
    batch.Command1()->click();
    // The failed document is the current row: the status bar says why.
    DocumentList& documents = gMediator->Documents();
    documents.Publish();
    main.ListView1()->setCurrentIndex(documents.index(documents.RowOf(source + QStringLiteral("/minutes.wpd")), 0));
    ok &= Save(main, out, QStringLiteral("main-window.png"));
    ok &= Save(batch, out, QStringLiteral("batch-dialog.png"));
    batch.hide();

    frmExtension& extensions = Forms::Get<frmExtension>();
    ok &= Save(extensions, out, QStringLiteral("extension-manager.png"));
    extensions.hide();

    frmAbout& about = Forms::Get<frmAbout>();
    ok &= Save(about, out, QStringLiteral("about-box.png"));

    Forms::UnloadAll();
    gMediator.reset();
    gAutomation.reset();
    platform::SetDialogProvider(nullptr);
    return ok ? 0 : 1;
}
