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
    if (platform::IsCallOf(member, "init", args, 1))
        init(args.constFirst().toObject<Mediator>().get());
    else if (platform::IsCallOf(member, "Execute", args, 0))
        Execute();
    else
        platform::RaiseMemberNotFound(member);
    return {};
}

void Cmd2::Command_Execute()
{
    if (!mMediator)
        throw platform::RuntimeError(platform::RuntimeError::ObjectRequired,
                                     QStringLiteral("Command used before init"));
    mMediator->Command2(QStringLiteral("test"));
}
