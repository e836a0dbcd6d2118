// SPDX-License-Identifier: MPL-2.0
#include "ui/Forms.h"

#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/frmAbout.h"
#include "ui/frmExtension.h"

namespace Forms {

void UnloadAll()
{
    Unload<frmAbout>();
    Unload<Form3>();
    Unload<Form1>();
    Unload<frmExtension>();
    Unload<Form2>();
}

} // namespace Forms
