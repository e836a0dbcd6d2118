// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/LateBinding.h"

#include <memory>

class Decorator;

// Wraps an object and runs it. As a plain object its operations do nothing
// and getobject returns null.
class AbstractDecorator : public platform::LateBound {
public:
    using Object = std::shared_ptr<platform::LateBound>;

    void init(Object o) { AbstractDecorator_init(std::move(o)); }
    void initContents(Object& d) { AbstractDecorator_initContents(d); }
    Object getobject() const { return AbstractDecorator_getobject(); }
    void ShowIt() { AbstractDecorator_ShowIt(); }

    platform::Value invokeMember(const QString& member, const QList<platform::Value>& args) override;

protected:
    virtual void AbstractDecorator_init(Object) {}
    virtual void AbstractDecorator_initContents(Object&) {}
    virtual Object AbstractDecorator_getobject() const { return nullptr; }
    virtual void AbstractDecorator_ShowIt() {}
};

// Runs its object's Execute by name: the object needs no interface, only an
// operation called Execute without arguments.
class Decorator final : public AbstractDecorator {
public:
    void init(Object o) { mObject = std::move(o); }

protected:
    void AbstractDecorator_init(Object o) override { init(std::move(o)); }
    void AbstractDecorator_initContents(Object& d) override { mContents = d; }
    Object AbstractDecorator_getobject() const override { return mObject; }
    void AbstractDecorator_ShowIt() override;

private:
    Object mContents;
    Object mObject;
};

// Takes over another decorator's object without running it.
class ReDecorator final : public AbstractDecorator {
public:
    // `d` must be an AbstractDecorator (else a type mismatch); null leaves
    // the inner decorator empty.
    void init(Object d);

protected:
    void AbstractDecorator_initContents(Object& d) override;
    Object AbstractDecorator_getobject() const override { return mObject; }

private:
    std::shared_ptr<AbstractDecorator>& decorator();

    std::shared_ptr<AbstractDecorator> mDecorator;
    Object mObject;
};
