// SPDX-License-Identifier: MPL-2.0
#include "support/AppHarness.h"

#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "pipeline/cmd1.h"
#include "platform/desktop/Program.h"

namespace testsupport {

AppHarness::AppHarness(Deferred)
{
    platform::SetEndProgramHandler([](int code) { throw ProgramEnded(code); });
    platform::SetAppPath(mAppDir.path());
    WriteFile(mAppDir.filePath(QStringLiteral("RmvDelayCode.wcm")), "; clean-up macro\n");
}

AppHarness::AppHarness() : AppHarness(Deferred{})
{
    gMediator = std::make_shared<Mediator>();
    gMediator->init();
}

AppHarness::~AppHarness()
{
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

QStringList AppHarness::rows()
{
    QStringList result;
    const DocumentList& list = mediator().Documents();
    for (int i = 0; i < list.Count(); ++i)
        result.append(list.CellText(i, 0) + QLatin1Char('|') + list.CellText(i, 1));
    return result;
}

QString AppHarness::reasonOf(const QString& path)
{
    const auto row = mediator().Documents().Find(path);
    return row ? row->Reason : QString();
}

} // namespace testsupport
