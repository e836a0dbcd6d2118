// SPDX-License-Identifier: MPL-2.0
#include "modes/State1.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "fs/clsFileSystem.h"
#include "pipeline/Chain.h"
#include "pipeline/Cmd2.h"
#include "pipeline/ParseObject.h"
#include "pipeline/Stack.h"

void State1::State_Command1(const QString& str)
{
    const std::shared_ptr<Chain> chain = Chain::BuildExtensionChain();
    mMediator->ClearDocuments();
    clsFileSystem fs;
    mPending = std::make_shared<Stack>();

    QString extension = fs.GetFileExtension(str).toLower();
    gAccepted = false;
    chain->sendToChain(extension);
    // A document the user named is converted whatever its extension.
    if (gAccepted || mMediator->GetSourceDocuments().contains(str)) {
        auto document = std::make_shared<ParseObject2>();
        document->init(str);
        mPending->add(document);
    }

    auto next = std::make_shared<Cmd2>();
    next->init(mMediator);
    static_cast<Command&>(*next).Execute();
}
