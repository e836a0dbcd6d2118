// SPDX-License-Identifier: MPL-2.0
#include "platform/automation/ProgIdRegistry.h"

#include "platform/automation/RuntimeError.h"

#include <QHash>

namespace platform {

namespace {
QHash<QString, ProgIdRegistry::Factory>& factories()
{
    static QHash<QString, ProgIdRegistry::Factory> table;
    return table;
}

[[noreturn]] void cannotCreate(const QString& progId, const QString& why)
{
    throw RuntimeError(RuntimeError::CannotCreateObject,
                       QStringLiteral("Cannot create object %1: %2").arg(progId, why),
                       progId);
}
} // namespace

void ProgIdRegistry::Register(const QString& progId, Factory factory)
{
    factories().insert(progId.toLower(), std::move(factory));
}

void ProgIdRegistry::Unregister(const QString& progId)
{
    factories().remove(progId.toLower());
}

bool ProgIdRegistry::IsRegistered(const QString& progId)
{
    return factories().contains(progId.toLower());
}

std::shared_ptr<LateBound> ProgIdRegistry::CreateObject(const QString& progId)
{
    const auto it = factories().constFind(progId.toLower());
    if (it == factories().constEnd())
        cannotCreate(progId, QStringLiteral("no server is registered"));
    std::shared_ptr<LateBound> object;
    try {
        object = (*it)();
    } catch (const RuntimeError& e) {
        cannotCreate(progId, e.description());
    } catch (const std::exception& e) {
        cannotCreate(progId, QString::fromLocal8Bit(e.what()));
    }
    if (!object)
        cannotCreate(progId, QStringLiteral("the server is not available"));
    return object;
}

} // namespace platform
