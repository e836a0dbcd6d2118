#include "support/ScriptedServer.h"

#include "platform/EventPass.h"
#include "platform/ProgIdRegistry.h"
#include "platform/RuntimeError.h"

#include <QFile>

using platform::Value;

namespace testsupport {

ScriptedServer::ScriptedServer()
{
    addMember(QStringLiteral("FileOpen"), [this](const QList<Value>& a) {
        checkArgCount(QStringLiteral("FileOpen"), a, 1, 1);
        record(QStringLiteral("FileOpen"), a);
        maybeFail(QStringLiteral("FileOpen"), a.at(0).toText());
        mCurrent = a.at(0).toText();
        return Value();
    });
    addMember(QStringLiteral("envDocBlank"), [this](const QList<Value>& a) {
        record(QStringLiteral("envDocBlank"), a);
        maybeFail(QStringLiteral("envDocBlank"), QString());
        return docBlank;
    });
    addMember(QStringLiteral("PosDocVeryTop"), [this](const QList<Value>& a) {
        record(QStringLiteral("PosDocVeryTop"), a);
        maybeFail(QStringLiteral("PosDocVeryTop"), QString());
        return Value();
    });
    addMember(QStringLiteral("MacroFilePlay"), [this](const QList<Value>& a) {
        checkArgCount(QStringLiteral("MacroFilePlay"), a, 1, 1);
        record(QStringLiteral("MacroFilePlay"), a);
        maybeFail(QStringLiteral("MacroFilePlay"), a.at(0).toText());
        return Value();
    });
    addMember(QStringLiteral("envMacroPlaying"), [this](const QList<Value>& a) {
        record(QStringLiteral("envMacroPlaying"), a);
        maybeFail(QStringLiteral("envMacroPlaying"), QString());
        return macroPlaying.isEmpty() ? Value(false) : macroPlaying.takeFirst();
    });
    addMember(QStringLiteral("FileSave"), [this](const QList<Value>& a) {
        checkArgCount(QStringLiteral("FileSave"), a, 1, 2);
        record(QStringLiteral("FileSave"), a);
        const QString path = a.at(0).toText();
        maybeFail(QStringLiteral("FileSave"), path);
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
    addMember(QStringLiteral("CloseNoSave"), [this](const QList<Value>& a) {
        record(QStringLiteral("CloseNoSave"), a);
        maybeFail(QStringLiteral("CloseNoSave"), QString());
        mCurrent.clear();
        return Value();
    });
}

void ScriptedServer::offer(const QString& member, bool failing)
{
    addMember(member, [this, member, failing](const QList<Value>& a) {
        record(member, a);
        if (failing)
            throw platform::RuntimeError(platform::RuntimeError::AutomationError, QStringLiteral("Not now"),
                                         QStringLiteral("ScriptedServer"));
        return Value();
    });
}

void ScriptedServer::offerAnnouncements(bool failing)
{
    offer(QStringLiteral("AnnounceDocuments"), failing);
}

void ScriptedServer::offerConversionNotes(const QString& notes, bool failing)
{
    addMember(QStringLiteral("envConversionNotes"), [this, notes, failing](const QList<Value>& a) {
        record(QStringLiteral("envConversionNotes"), a);
        if (failing)
            throw platform::RuntimeError(platform::RuntimeError::AutomationError, QStringLiteral("Not now"),
                                         QStringLiteral("ScriptedServer"));
        return Value(notes);
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
