// SPDX-License-Identifier: MPL-2.0
#pragma once

// The automation room (platform/automation): the program's failure type
// (RuntimeError), late-bound values (Value) and calls by name (this file),
// automation servers created by their ProgID (ProgIdRegistry), and the
// format codes the word processor saves in (SaveFormats).

#include "platform/automation/Value.h"

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

// One member an object answers by name: its name (letter case ignored),
// how many arguments it takes, and what it does with them.
struct ByName {
    const char* name;
    int argCount;
    std::function<void(const QList<Value>& args)> call;
};
// The one way the program's own objects answer calls by name (a job's
// "init" and "Execute", a command's, a decorator's "ShowIt"): calls the
// member of `members` that `member` and `args` name; anything else raises
// MemberNotFound (438). Servers with many members register them instead
// (Dispatchable).
Value CallMember(const QString& member, const QList<Value>& args, std::initializer_list<ByName> members);

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
