// SPDX-License-Identifier: MPL-2.0
#include "modes/State2.h"

#include "conversion/Automation.h"
#include "core/FlattenedCall.h"
#include "core/FolderListing.h"
#include "core/Mediator.h"
#include "pipeline/Cmd2.h"
#include "pipeline/ParseObject.h"
#include "pipeline/Stack.h"
#include "platform/desktop/Dialogs.h"
#include "platform/automation/RuntimeError.h"

void State2::State_Command1(const QString&)
{
    // Without a target folder every document would be written outside any
    // folder the user chose: refuse to start.
    if (mMediator->GetTgtFolder().isEmpty()) {
        platform::MsgBox(QStringLiteral("Select a target folder before starting the batch."),
                         platform::MsgButtons::OK, platform::MsgIcon::Exclamation);
        return;
    }

    mMediator->ClearDocuments();
    mPending = std::make_shared<Stack>();

    // The documents named (the command line), or those of the source folder
    // the extension list accepts. A source folder that is not chosen, does
    // not exist or cannot be read lists nothing, so nothing is converted.
    const QStringList named = mMediator->GetSourceDocuments();
    const QStringList documents =
        named.isEmpty() ? FolderListing::AcceptedDocuments(mMediator->FileList(), mMediator->GetSourceFolder())
                        : named;
    for (const QString& path : documents) {
        auto document = std::make_shared<ParseObject1>();
        document->init(path);
        mPending->add(document);
    }
    Automation::AnnounceDocuments(documents, mMediator->TargetFormat());

    // Convert the queue: a Command2 converts the next document, and each job
    // issues the next at its end (the Mediator makes it once the job has
    // returned). A document that fails has already been taken off the queue
    // and marked "Failed"; the batch goes on with the next one.
    mMediator->Progress().Start(static_cast<int>(mPending->size()));
    struct Finish {
        Mediator* mediator;
        ~Finish() { mediator->Progress().Finish(); }
    } finish{mMediator};
    std::size_t before = 0;
    FlattenedCall eachDocument;
    try {
        eachDocument.run(
            [&] {
                before = mPending->size();
                auto next = std::make_shared<Cmd2>();
                next->init(mMediator);
                static_cast<Command&>(*next).Execute();
            },
            [&] { return mPending->hasMoreElements() && mPending->size() < before; });
    } catch (const platform::RuntimeError&) {
        // the queue is stuck (its document was not taken off): the batch ends
    }
}
