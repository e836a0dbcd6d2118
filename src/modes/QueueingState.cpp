// SPDX-License-Identifier: MPL-2.0
#include "modes/QueueingState.h"

#include "pipeline/ParseObject.h"
#include "pipeline/Stack.h"

void QueueingState::State_Command2(const QString&)
{
    if (!mPending || !mPending->hasMoreElements())
        return;
    const Stack::Element next = mPending->NextElement();
    if (auto parse = std::dynamic_pointer_cast<ParseObject>(next))
        parse->Execute();
    else
        platform::CallByName(next, QStringLiteral("Execute"));
}
