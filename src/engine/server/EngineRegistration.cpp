// SPDX-License-Identifier: MPL-2.0
#include "engine/server/EngineRegistration.h"

#include "engine/office/OfficeInstallation.h"
#include "engine/office/OfficeProcess.h"
#include "engine/server/WordPerfectServer.h"
#include "platform/automation/ProgIdRegistry.h"
#include "platform/files/RunFolder.h"

namespace engine {

void RegisterEngine()
{
    // However the program ends, no office outlives it: the offices are
    // killed before the run folder (their profiles, temporary files and
    // saves) goes at the end. The pipes they leave in /tmp are noted in the
    // run's record and go with the run, and with a killed run at the next
    // start.
    platform::RunFolder::AddBeforeRemoval(&OfficeProcess::KillAll);
    platform::ProgIdRegistry::Register(QStringLiteral("WordPerfect.PerfectScript"), []() -> std::shared_ptr<platform::LateBound> {
        // Fast and without starting anything: is the office there at all?
        OfficeInstallation::Check();
        platform::RunFolder::Instance();
        return std::make_shared<WordPerfectServer>();
    });
}

} // namespace engine
