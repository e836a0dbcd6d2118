// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/RuntimeError.h"

#include <functional>

namespace testsupport {

// The number of the platform::RuntimeError that `f` raises; 0 when it raises
// none.
inline int ErrorNumber(const std::function<void()>& f)
{
    try {
        f();
    } catch (const platform::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace testsupport
