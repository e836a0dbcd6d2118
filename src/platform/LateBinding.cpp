#include "platform/LateBinding.h"

#include "platform/RuntimeError.h"

namespace platform {

Value CallByName(LateBound* object, const QString& member, const QList<Value>& args)
{
    if (!object)
        throw RuntimeError(RuntimeError::ObjectRequired,
                           QStringLiteral("Object variable not set (calling %1)").arg(member));
    return object->invokeMember(member, args);
}

bool IsCallOf(const QString& member, const char* name, const QList<Value>& args, int argCount)
{
    return args.size() == argCount && member.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

void RaiseMemberNotFound(const QString& member)
{
    throw RuntimeError(RuntimeError::MemberNotFound,
                       QStringLiteral("Object doesn't support this property or method: %1").arg(member));
}

Value InvokeInitOrExecute(const QString& member, const QList<Value>& args,
                          const std::function<void(const QString&)>& init, const std::function<void()>& execute)
{
    if (IsCallOf(member, "init", args, 1))
        init(args.constFirst().toText());
    else if (IsCallOf(member, "Execute", args, 0))
        execute();
    else
        RaiseMemberNotFound(member);
    return {};
}

Value Dispatchable::invokeMember(const QString& member, const QList<Value>& args)
{
    const auto it = mMembers.constFind(member.toLower());
    if (it == mMembers.constEnd())
        RaiseMemberNotFound(member);
    return (*it)(args);
}

bool Dispatchable::hasMember(const QString& member) const
{
    return mMembers.contains(member.toLower());
}

void Dispatchable::addMember(const QString& name, Member member)
{
    mMembers.insert(name.toLower(), std::move(member));
}

void Dispatchable::checkArgCount(const QString& member, const QList<Value>& args, int min, int max)
{
    if (args.size() < min || args.size() > max)
        throw RuntimeError(RuntimeError::InvalidProcedureCall,
                           QStringLiteral("Wrong number of arguments for %1").arg(member));
}

} // namespace platform
