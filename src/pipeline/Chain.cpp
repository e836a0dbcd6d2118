// SPDX-License-Identifier: MPL-2.0
#include "pipeline/Chain.h"

#include "core/ExtensionList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "platform/automation/RuntimeError.h"

namespace {
bool passOn(const std::shared_ptr<Chain>& next, QString& mesg)
{
    if (!next)
        throw platform::RuntimeError(platform::RuntimeError::ObjectRequired,
                                     QStringLiteral("Extension chain is not linked"));
    next->sendToChain(mesg);
    return false;
}
} // namespace

std::shared_ptr<Chain> Chain::BuildExtensionChain()
{
    auto c1 = std::make_shared<Chain1>();
    auto c2 = std::make_shared<Chain2>();
    auto c3 = std::make_shared<Chain3>();
    c1->addChain(c2);
    c2->addChain(c3);
    c3->addChain(std::make_shared<NoCmd>());
    return c1;
}

bool Chain1::Chain_sendToChain(QString& mesg)
{
    mesg = mesg.toLower();
    // Read the list afresh for every request: a change made in the extension
    // manager applies to the next file judged. Every entry is visited.
    if (!gMediator)
        throw platform::RuntimeError(platform::RuntimeError::ObjectRequired,
                                     QStringLiteral("The extension list is not there yet"));
    const QStringList list = gMediator->Extensions().stringList();
    for (const QString& entry : list) {
        if (entry.toLower() == mesg)
            gAccepted = true;
    }
    if (!gAccepted)
        passOn(mNext, mesg);
    return false;
}

bool Chain2::Chain_sendToChain(QString& mesg)
{
    mesg = mesg.toLower();
    return passOn(mNext, mesg);
}

bool Chain3::Chain_sendToChain(QString& mesg)
{
    mesg = mesg.toLower();
    return passOn(mNext, mesg);
}

bool NoCmd::Chain_sendToChain(QString&)
{
    gAccepted = false;
    return false;
}
