// SPDX-License-Identifier: MPL-2.0
#include "pipeline/Cmd2.h"

#include "core/Mediator.h"
#include "platform/automation/RuntimeError.h"

void Cmd2::init(Mediator* md)
{
    mMediator = md;
    mMediator->registerCmd2(shared_from_this());
}

platform::Value Cmd2::invokeMember(const QString& member, const QList<platform::Value>& args)
{
    return platform::CallMember(
        member, args,
        {{"init", 1, [this](const auto& a) { init(a.constFirst().template toObject<Mediator>().get()); }},
         {"Execute", 0, [this](const auto&) { Execute(); }}});
}

void Cmd2::Command_Execute()
{
    if (!mMediator)
        throw platform::RuntimeError(platform::RuntimeError::ObjectRequired,
                                     QStringLiteral("Command used before init"));
    mMediator->Command2(QStringLiteral("test"));
}
