#include "engine/EngineRegistration.h"

#include "engine/OfficeInstallation.h"
#include "engine/OfficePipes.h"
#include "engine/OfficeProcess.h"
#include "engine/WordPerfectServer.h"
#include "platform/ProgIdRegistry.h"
#include "platform/Program.h"
#include "platform/RunFolder.h"

#include <atomic>
#include <cstdlib>

namespace engine {

namespace {

std::atomic<bool> gEndHookPending{false};

// What must happen however the program ends: no office outlives it, and its
// private folder (profiles, office temporary files, pipes) goes.
void endOfRun()
{
    gEndHookPending = false;
    OfficeProcess::KillAll();
    platform::RunFolder::RemoveAtEnd();
}

void armEndOfRun()
{
    static const bool atExit = (std::atexit(endOfRun), true);
    Q_UNUSED(atExit);
    if (!gEndHookPending.exchange(true))
        platform::AddEndHook(endOfRun);
}

} // namespace

void RegisterEngine()
{
    // The pipes of offices killed with their program go at the next start.
    platform::RunFolder::AddStaleRunCleaner(&OfficePipes::RemoveForRun);
    platform::ProgIdRegistry::Register(QStringLiteral("WordPerfect.PerfectScript"), []() -> std::shared_ptr<platform::LateBound> {
        // Fast and without starting anything: is the office there at all?
        OfficeInstallation::Check();
        platform::RunFolder::Instance();
        armEndOfRun();
        return std::make_shared<WordPerfectServer>();
    });
}

} // namespace engine
