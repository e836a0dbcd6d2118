// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "pipeline/ParseObject.h"

// The placeholder element a Stack hands out when it has too few elements.
class DummyObject final : public ParseObject {};
