// SPDX-License-Identifier: MPL-2.0
#include "modes/State3.h"

#include "core/Mediator.h"

void State3::State_Command1(const QString&)
{
    mMediator->ClearDocuments();
}
