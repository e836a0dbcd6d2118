// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace platform {
class RuntimeError;
}

namespace engine {

class EngineThread;

// Carries out one task on an engine thread (thread 0 unless told) while the calling thread waits.
// A waiting user-interface thread keeps processing its window events (the
// windows stay responsive), and is woken the moment the task is done. This
// wait is the engine's own: it does not count as one of the program's event
// passes.
class EngineCall final {
public:
    EngineCall() = delete;

    // Runs `task` and returns when it has finished; a failure it raised is
    // raised again here. When `limit` passes first, raises a RuntimeError
    // instead and leaves the task to finish on its own (it must then own, not
    // borrow, everything it touches).
    static void Run(std::function<void()> task, std::optional<std::chrono::milliseconds> limit = std::nullopt);
    static void RunOn(EngineThread& thread, std::function<void()> task,
                      std::optional<std::chrono::milliseconds> limit = std::nullopt);

    // True when `error` is Run's report of a limit that passed.
    static bool IsNoResponse(const platform::RuntimeError& error);

    // Runs `task` without processing events, waiting at most `limit`; returns
    // false when the task had not finished by then (it still runs later).
    static bool RunQuietly(std::function<void()> task, std::chrono::milliseconds limit);
    static bool RunQuietlyOn(EngineThread& thread, std::function<void()> task, std::chrono::milliseconds limit);
};

} // namespace engine
