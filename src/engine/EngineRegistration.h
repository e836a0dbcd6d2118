#pragma once

namespace engine {

// Registers this platform's word-processing engine under the automation
// ProgID "WordPerfect.PerfectScript".
void RegisterEngine();

} // namespace engine
