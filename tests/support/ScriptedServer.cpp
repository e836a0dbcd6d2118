// SPDX-License-Identifier: MPL-2.0
#include "support/ScriptedServer.h"

#include "platform/desktop/EventPass.h"
#include "platform/automation/ProgIdRegistry.h"
#include "platform/automation/RuntimeError.h"

#include <QFile>

using platform::Value;

namespace testsupport {

ScriptedServer::ScriptedServer()
{
    addScripted(QStringLiteral("FileOpen"), 1, [this](const QList<Value>& a) {
        mCurrent = a.at(0).toText();
        return Value();
    });
    addScripted(QStringLiteral("envDocBlank"), 0, [this](const QList<Value>&) { return docBlank; });
    addScripted(QStringLiteral("PosDocVeryTop"), 0, [](const QList<Value>&) { return Value(); });
    addScripted(QStringLiteral("MacroFilePlay"), 1, [](const QList<Value>&) { return Value(); });
    addScripted(QStringLiteral("envMacroPlaying"), 0, [this](const QList<Value>&) {
        return macroPlaying.isEmpty() ? Value(false) : macroPlaying.takeFirst();
    });
    addScripted(QStringLiteral("FileSave"), 2, [this](const QList<Value>& a) {
        const QString path = a.at(0).toText();
        if (mCurrent.isEmpty())
            throw platform::RuntimeError(platform::RuntimeError::AutomationError,
                                         QStringLiteral("No document is open"), QStringLiteral("ScriptedServer"));
        if (writeFiles) {
            QFile out(path);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw platform::RuntimeError(platform::RuntimeError::PermissionDenied,
                                             QStringLiteral("Cannot write %1").arg(path),
                                             QStringLiteral("ScriptedServer"));
            const QString format = a.size() > 1 ? a.at(1).toText() : QStringLiteral("none");
            out.write(QStringLiteral("saved %1 format %2\n").arg(mCurrent, format).toUtf8());
        }
        return Value();
    });
    addScripted(QStringLiteral("CloseNoSave"), 0, [this](const QList<Value>&) {
        mCurrent.clear();
        return Value();
    });
}

void ScriptedServer::addScripted(const QString& member, int maxArgs,
                                 const std::function<Value(const QList<Value>&)>& answer)
{
    // Recorded, then failed on demand (the path being the first argument,
    // if any), then answered; members that take a path need it.
    addMember(member, [this, member, maxArgs, answer](const QList<Value>& a) {
        if (maxArgs > 0)
            checkArgCount(member, a, 1, maxArgs);
        record(member, a);
        maybeFail(member, maxArgs > 0 ? a.at(0).toText() : QString());
        return answer(a);
    });
}

void ScriptedServer::offer(const QString& member, bool failing, const Value& answer)
{
    addMember(member, [this, member, failing, answer](const QList<Value>& a) {
        record(member, a);
        if (failing)
            throw platform::RuntimeError(platform::RuntimeError::AutomationError, QStringLiteral("Not now"),
                                         QStringLiteral("ScriptedServer"));
        return answer;
    });
}

void ScriptedServer::failOn(const QString& member, const QString& path)
{
    mFailures.append({member, path});
}

void ScriptedServer::record(const QString& member, const QList<Value>& args)
{
    if (!recordCalls)
        return;
    calls.append({member, args, platform::EventPassCount()});
    if (duringCall)
        duringCall();
}

void ScriptedServer::maybeFail(const QString& member, const QString& path) const
{
    for (const Failure& f : mFailures) {
        if (f.member.compare(member, Qt::CaseInsensitive) != 0)
            continue;
        if (f.path.isEmpty() || f.path == path || f.path == mCurrent)
            throw platform::RuntimeError(platform::RuntimeError::AutomationError,
                                         QStringLiteral("%1 failed (scripted)").arg(member),
                                         QStringLiteral("ScriptedServer"));
    }
}

QStringList ScriptedServer::memberNames() const
{
    QStringList names;
    for (const Call& c : calls)
        names.append(c.member);
    return names;
}

QStringList ScriptedServer::pathsOf(const QString& member) const
{
    QStringList paths;
    for (const Call& c : calls)
        if (c.member == member && !c.args.isEmpty())
            paths.append(c.args.at(0).toText());
    return paths;
}

QStringList ScriptedServer::tempCopiesLeft() const
{
    QStringList left;
    for (const QString& path : pathsOf(QStringLiteral("FileSave")))
        if (path.endsWith(QLatin1String(".TMP")) && QFile::exists(path))
            left << path;
    return left;
}

ScriptedServerRegistration::ScriptedServerRegistration() : server(std::make_shared<ScriptedServer>())
{
    auto s = server;
    platform::ProgIdRegistry::Register(QStringLiteral("WordPerfect.PerfectScript"), [s] { return s; });
}

ScriptedServerRegistration::~ScriptedServerRegistration()
{
    platform::ProgIdRegistry::Unregister(QStringLiteral("WordPerfect.PerfectScript"));
}

} // namespace testsupport
