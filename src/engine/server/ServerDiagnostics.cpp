// SPDX-License-Identifier: MPL-2.0
#include "engine/server/ServerDiagnostics.h"

#include "engine/document/OfficeEngine.h"
#include "engine/server/EngineCall.h"
#include "engine/server/EngineThread.h"
#include "engine/server/OfficePool.h"
#include "engine/server/WordPerfectServer.h"
#include "platform/automation/RuntimeError.h"

using platform::RuntimeError;

namespace engine {

void ServerDiagnostics::setTimeLimits(std::chrono::milliseconds base, std::chrono::milliseconds perMegabyte,
                                      std::chrono::milliseconds grace)
{
    mServer.mBaseLimit = base;
    mServer.mPerMegabyteLimit = perMegabyte;
    mServer.mGrace = grace;
    mServer.runOnEveryOffice([base, perMegabyte](OfficeEngine& engine) { engine.setLimits({base, perMegabyte}); });
}

void ServerDiagnostics::setMemoryLimit(qint64 bytes)
{
    mServer.runOnEveryOffice([bytes](OfficeEngine& engine) { engine.session().setMemoryLimit(bytes); });
}

void ServerDiagnostics::setStartRetryPause(std::chrono::milliseconds pause)
{
    mServer.runOnEveryOffice([pause](OfficeEngine& engine) { engine.session().setStartRetryPause(pause); });
}

void ServerDiagnostics::waitForOffice()
{
    for (int i = mServer.mPool->active() - 1; i > 0; --i) {
        try {
            EngineCall::RunOn(*mServer.mPool->office(i).thread, [engine = mServer.mPool->office(i).engine] { engine->start(); });
        } catch (const RuntimeError&) {
            // That office does not work ahead; office 0 serves its documents.
        }
    }
    EngineCall::Run([engine = mServer.mEngine] { engine->start(); });
}

int ServerDiagnostics::officeCount() const
{
    return mServer.mPool->size();
}

QList<pid_t> ServerDiagnostics::officePids()
{
    QList<pid_t> pids;
    mServer.runOnEveryOffice([&pids](OfficeEngine& engine) { pids.append(engine.session().officePid()); });
    return pids;
}

qint64 ServerDiagnostics::officesPeakResidentBytes()
{
    qint64 bytes = 0;
    mServer.runOnEveryOffice([&bytes](OfficeEngine& engine) { bytes += engine.session().officePeakResidentBytes(); });
    return bytes;
}

bool ServerDiagnostics::waitForWorkAhead(std::chrono::milliseconds limit)
{
    return mServer.mPool->waitUntilIdle(limit);
}

QStringList ServerDiagnostics::workAheadFolders() const
{
    QStringList folders{mServer.mPool->folder()};
    if (!mServer.mPool->memoryFolder().isEmpty())
        folders << mServer.mPool->memoryFolder();
    return folders;
}

pid_t ServerDiagnostics::officePid()
{
    pid_t pid = 0;
    EngineCall::Run([engine = mServer.mEngine, &pid] { pid = engine->session().officePid(); });
    return pid;
}

qint64 ServerDiagnostics::officeResidentBytes()
{
    qint64 bytes = 0;
    EngineCall::Run([engine = mServer.mEngine, &bytes] { bytes = engine->session().officeResidentBytes(); });
    return bytes;
}

qint64 ServerDiagnostics::officePeakResidentBytes()
{
    qint64 bytes = 0;
    EngineCall::Run([engine = mServer.mEngine, &bytes] { bytes = engine->session().officePeakResidentBytes(); });
    return bytes;
}

int ServerDiagnostics::officeStarts()
{
    int starts = 0;
    EngineCall::Run([engine = mServer.mEngine, &starts] { starts = engine->session().startCount(); });
    return starts;
}

int ServerDiagnostics::documentsServedAhead() const
{
    return mServer.mServedAhead;
}

} // namespace engine
