// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "conversion/JobBase.h"

// The batch conversion job: converts one document into the target folder
// under its base name with ".doc", without asking.
class DecObj final : public JobBase {
public:
    // A failing step writes "Failed" on the row, closes the document, removes
    // the temporary copy and passes the failure on to batch mode, which goes
    // on with the next document.
    void Execute() override;
};
