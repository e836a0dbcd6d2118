// SPDX-License-Identifier: MPL-2.0
#include "pipeline/Decorator.h"

#include "platform/automation/RuntimeError.h"

platform::Value AbstractDecorator::invokeMember(const QString& member, const QList<platform::Value>& args)
{
    return platform::CallMember(member, args, {{"ShowIt", 0, [this](const auto&) { ShowIt(); }}});
}

void Decorator::AbstractDecorator_ShowIt()
{
    platform::CallByName(mObject, QStringLiteral("Execute"));
}

std::shared_ptr<AbstractDecorator>& ReDecorator::decorator()
{
    if (!mDecorator)
        mDecorator = std::make_shared<AbstractDecorator>();
    return mDecorator;
}

void ReDecorator::init(Object d)
{
    mDecorator = nullptr;
    if (d) {
        mDecorator = std::dynamic_pointer_cast<AbstractDecorator>(d);
        if (!mDecorator)
            platform::Value::typeMismatch();
    }
    mObject = decorator()->getobject();
}

void ReDecorator::AbstractDecorator_initContents(Object& d)
{
    if (!std::dynamic_pointer_cast<Decorator>(d))
        platform::Value::typeMismatch();
    init(d);
}
