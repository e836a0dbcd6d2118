// SPDX-License-Identifier: MPL-2.0
#include "pipeline/Stack.h"

#include "pipeline/DummyObject.h"
#include "pipeline/ParseObject.h"

namespace {
std::shared_ptr<ParseObject> asParseObject(const Stack::Element& e)
{
    auto p = std::dynamic_pointer_cast<ParseObject>(e);
    if (e && !p)
        platform::Value::typeMismatch();
    return p;
}
} // namespace

void Stack::add(Element Obj)
{
    mItems.push_back(std::move(Obj));
}

Stack::Element Stack::NextElement()
{
    if (mItems.empty())
        return nullptr;
    Element e = std::move(mItems.front());
    mItems.pop_front();
    return e;
}

std::shared_ptr<ParseObject> Stack::top() const
{
    return mItems.empty() ? nullptr : asParseObject(mItems.back());
}

std::shared_ptr<ParseObject> Stack::nextTop() const
{
    if (mItems.size() < 2)
        return std::make_shared<DummyObject>();
    return asParseObject(mItems[mItems.size() - 2]);
}

void Stack::NextElement2add(Element p)
{
    if (mItems.size() >= 2) {
        NextElement();
        NextElement();
    }
    add(std::move(p));
}
