// SPDX-License-Identifier: MPL-2.0
#include "platform/automation/LateBinding.h"

#include "platform/automation/RuntimeError.h"

namespace platform {

Value CallByName(LateBound* object, const QString& member, const QList<Value>& args)
{
    if (!object)
        throw RuntimeError(RuntimeError::ObjectRequired,
                           QStringLiteral("Object variable not set (calling %1)").arg(member));
    return object->invokeMember(member, args);
}

namespace {
[[noreturn]] void raiseMemberNotFound(const QString& member)
{
    throw RuntimeError(RuntimeError::MemberNotFound,
                       QStringLiteral("Object doesn't support this property or method: %1").arg(member));
}
} // namespace

Value CallMember(const QString& member, const QList<Value>& args, std::initializer_list<ByName> members)
{
    for (const ByName& known : members) {
        if (args.size() == known.argCount && member.compare(QLatin1String(known.name), Qt::CaseInsensitive) == 0) {
            known.call(args);
            return {};
        }
    }
    raiseMemberNotFound(member);
}

Value Dispatchable::invokeMember(const QString& member, const QList<Value>& args)
{
    const auto it = mMembers.constFind(member.toLower());
    if (it == mMembers.constEnd())
        raiseMemberNotFound(member);
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
