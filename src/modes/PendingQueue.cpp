#include "modes/PendingQueue.h"

#include "pipeline/ParseObject.h"
#include "pipeline/Stack.h"

void ExecuteNextPending(Stack* pending)
{
    if (!pending || !pending->hasMoreElements())
        return;
    const Stack::Element next = pending->NextElement();
    if (auto parse = std::dynamic_pointer_cast<ParseObject>(next))
        parse->Execute();
    else
        platform::CallByName(next, QStringLiteral("Execute"));
}
