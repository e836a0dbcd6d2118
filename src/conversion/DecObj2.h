// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "conversion/JobBase.h"

// The single-document conversion job: the user confirms or changes the
// target name in a Save As dialog; a failure (the dialog cancelled included)
// is shown as "Failed" on the row.
class DecObj2 final : public JobBase {
public:
    void Execute() override;
};
