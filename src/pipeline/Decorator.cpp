#include "pipeline/Decorator.h"

#include "platform/RuntimeError.h"

platform::Value AbstractDecorator::invokeMember(const QString& member, const QList<platform::Value>& args)
{
    if (member.compare(QLatin1String("ShowIt"), Qt::CaseInsensitive) == 0 && args.isEmpty()) {
        ShowIt();
        return {};
    }
    throw platform::RuntimeError(platform::RuntimeError::MemberNotFound,
                                 QStringLiteral("Object doesn't support this property or method: %1").arg(member));
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
