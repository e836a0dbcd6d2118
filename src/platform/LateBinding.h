#pragma once

#include "platform/Value.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace platform {

// An object whose members are called by name at run time (an automation
// server, or one of the program's own objects called without an interface).
class LateBound {
public:
    virtual ~LateBound() = default;

    // Calls the member named `member` (letter case ignored) with `args`.
    // A member the object lacks raises MemberNotFound (438).
    virtual Value invokeMember(const QString& member, const QList<Value>& args) = 0;

    // True when the object is known to have `member` (letter case ignored),
    // for optional members a caller uses only where they exist. An object
    // that cannot tell without a call answers false.
    virtual bool hasMember(const QString& member) const
    {
        Q_UNUSED(member);
        return false;
    }
};

// Calls `member` on `object` by name. No object raises ObjectRequired (91).
Value CallByName(LateBound* object, const QString& member, const QList<Value>& args = {});
inline Value CallByName(const std::shared_ptr<LateBound>& object, const QString& member,
                        const QList<Value>& args = {})
{
    return CallByName(object.get(), member, args);
}

// True when `member` names `name` (letter case ignored) and `args` holds
// `argCount` values: for LateBound implementations that dispatch by hand.
bool IsCallOf(const QString& member, const char* name, const QList<Value>& args, int argCount);
// Raises MemberNotFound (438) for `member`.
[[noreturn]] void RaiseMemberNotFound(const QString& member);

// Dispatch for objects whose by-name members are "init" with one text and
// "Execute" without arguments; anything else raises MemberNotFound.
Value InvokeInitOrExecute(const QString& member, const QList<Value>& args,
                          const std::function<void(const QString&)>& init, const std::function<void()>& execute);

// A LateBound whose members are registered by name in its constructor.
class Dispatchable : public LateBound {
public:
    using Member = std::function<Value(const QList<Value>& args)>;

    Value invokeMember(const QString& member, const QList<Value>& args) override;
    bool hasMember(const QString& member) const override;

protected:
    void addMember(const QString& name, Member member);
    // Raises InvalidProcedureCall (5) unless `args` has between `min` and
    // `max` entries; `member` names the call in the message.
    static void checkArgCount(const QString& member, const QList<Value>& args, int min, int max);

private:
    QHash<QString, Member> mMembers; // keyed by lower-case name
};

} // namespace platform
