// SPDX-License-Identifier: MPL-2.0
#pragma once

namespace engine {

// Registers this platform's word-processing engine under the automation
// ProgID "WordPerfect.PerfectScript": a private, headless LibreOffice driven
// through its UNO API (see WordPerfectServer). Creating the object fails at
// once when no office is installed.
void RegisterEngine();

} // namespace engine
