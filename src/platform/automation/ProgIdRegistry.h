// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/LateBinding.h"

#include <QString>
#include <functional>
#include <memory>

namespace platform {

// Creates automation servers by ProgID. Each platform registers its own
// servers once at start-up (the program's word-processing engine under
// "WordPerfect.PerfectScript"); tests register scripted ones.
class ProgIdRegistry {
public:
    // A factory returns the new object, or raises a RuntimeError (or returns
    // null) when the server cannot be created.
    using Factory = std::function<std::shared_ptr<LateBound>()>;

    static void Register(const QString& progId, Factory factory);
    static void Unregister(const QString& progId);
    static bool IsRegistered(const QString& progId);

    // The new object. An unknown ProgID or a failing factory raises
    // CannotCreateObject (429).
    static std::shared_ptr<LateBound> CreateObject(const QString& progId);
};

} // namespace platform
