// SPDX-License-Identifier: MPL-2.0
#include "pipeline/cmd1.h"

#include "core/Mediator.h"
#include "platform/automation/RuntimeError.h"

void cmd1::init(Mediator* md)
{
    mMediator = md;
    mMediator->registerCmd1(shared_from_this());
}

void cmd1::Command_Execute()
{
    if (!mMediator)
        throw platform::RuntimeError(platform::RuntimeError::ObjectRequired,
                                     QStringLiteral("Command used before init"));
    mMediator->Command1(mMediator->GetSourceFile());
}
