// SPDX-License-Identifier: MPL-2.0
#include "pipeline/StackIterator.h"

#include "pipeline/ParseObject.h"
#include "pipeline/Stack.h"

std::shared_ptr<Stack> gStack;

namespace {
Stack& sharedStack()
{
    if (!gStack)
        gStack = std::make_shared<Stack>();
    return *gStack;
}
} // namespace

void StackIterator::add(const QString& path)
{
    auto object = std::make_shared<ParseObject>();
    object->init(path);
    sharedStack().add(object);
}

void StackIterator::Execute()
{
    Stack& stack = sharedStack();
    while (stack.hasMoreElements()) {
        auto element = stack.NextElement();
        if (auto p = std::dynamic_pointer_cast<ParseObject>(element))
            p->Execute();
        else
            platform::CallByName(element, QStringLiteral("Execute"));
    }
}
