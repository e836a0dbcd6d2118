#include "support/AppHarness.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "pipeline/cmd1.h"
#include "platform/ListView.h"
#include "platform/Program.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "ui/frmExtension.h"

#include <QDir>
#include <QFile>

namespace testsupport {

AppHarness::AppHarness(bool showMainWindow)
{
    platform::SetEndProgramHandler([](int code) { throw ProgramEnded(code); });
    platform::SetAppPath(mAppDir.path());
    makeFile(mAppDir.path(), QStringLiteral("RmvDelayCode.wcm"), "; clean-up macro\n");
    gMediator = std::make_shared<Mediator>();
    Forms::Get<frmExtension>();
    gMediator->init();
    if (showMainWindow)
        Forms::Get<Form2>().Show();
}

AppHarness::~AppHarness()
{
    Forms::UnloadAll();
    gMediator.reset();
    gAutomation.reset();
    gAccepted = false;
    platform::SetAppPath(QString());
    platform::SetEndProgramHandler({});
}

Mediator& AppHarness::mediator()
{
    return *gMediator;
}

Form2& AppHarness::mainWindow()
{
    return Forms::Get<Form2>();
}

Form1& AppHarness::batchDialog()
{
    return Forms::Get<Form1>();
}

void AppHarness::startBatch(const QString& source, const QString& target)
{
    Mediator& m = mediator();
    m.SetSourceFolder(source);
    m.SetTgtFolder(target);
    m.StartStateTwo();
    auto start = std::make_shared<cmd1>();
    start->init(&m);
    static_cast<Command&>(*start).Execute();
}

QString AppHarness::makeFile(const QString& folder, const QString& name, const QByteArray& content)
{
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return path;
}

QStringList AppHarness::rows()
{
    QStringList result;
    platform::ListView& list = mainWindow().ListView1();
    for (int i = 0; i < list.Count(); ++i)
        result.append(list.CellText(i, 0) + QLatin1Char('|') + list.CellText(i, 1));
    return result;
}

} // namespace testsupport
