#include "pipeline/Cmd2.h"

#include "core/Mediator.h"
#include "platform/RuntimeError.h"

void Cmd2::init(Mediator* md)
{
    mMediator = md;
    mMediator->registerCmd2(shared_from_this());
}

platform::Value Cmd2::invokeMember(const QString& member, const QList<platform::Value>& args)
{
    if (member.compare(QLatin1String("init"), Qt::CaseInsensitive) == 0 && args.size() == 1) {
        init(args.constFirst().toObject<Mediator>().get());
        return {};
    }
    if (member.compare(QLatin1String("Execute"), Qt::CaseInsensitive) == 0 && args.isEmpty()) {
        Execute();
        return {};
    }
    throw platform::RuntimeError(platform::RuntimeError::MemberNotFound,
                                 QStringLiteral("Object doesn't support this property or method: %1").arg(member));
}

void Cmd2::Command_Execute()
{
    if (!mMediator)
        throw platform::RuntimeError(platform::RuntimeError::ObjectRequired,
                                     QStringLiteral("Command used before init"));
    mMediator->Command2(QStringLiteral("test"));
}
