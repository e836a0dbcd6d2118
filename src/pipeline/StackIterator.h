// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <memory>

class Stack;

// The queue shared by every StackIterator. Nothing in the program sets it;
// StackIterator creates it on first use.
extern std::shared_ptr<Stack> gStack;

// Queues plain parse objects on gStack and runs every queued element.
class StackIterator final {
public:
    void add(const QString& path);
    void Execute();
};
