// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/LateBinding.h"

#include <deque>
#include <memory>

class ParseObject;

// The queue of documents a mode is going to convert. Despite its name it
// hands its elements out first in, first out. It has no size limit.
class Stack final {
public:
    using Element = std::shared_ptr<platform::LateBound>;

    void add(Element Obj);
    // Removes and returns the oldest element; null when empty.
    Element NextElement();
    // The newest element as a ParseObject, without removing it; null when
    // empty. An element that is not a ParseObject raises a type mismatch.
    std::shared_ptr<ParseObject> top() const;
    bool hasMoreElements() const { return !mItems.empty(); }
    // The second-newest element as a ParseObject; a new DummyObject when
    // fewer than two are held.
    std::shared_ptr<ParseObject> nextTop() const;
    // With two or more elements, drops the two oldest; then appends `p`.
    void NextElement2add(Element p);

    std::size_t size() const { return mItems.size(); }

private:
    std::deque<Element> mItems; // oldest first
};
