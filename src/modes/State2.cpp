#include "modes/State2.h"

#include "core/General.h"
#include "core/Mediator.h"
#include "fs/clsFileSystem.h"
#include "pipeline/Chain.h"
#include "pipeline/Cmd2.h"
#include "pipeline/ParseObject.h"
#include "pipeline/Stack.h"
#include "platform/Dialogs.h"
#include "platform/FileListBox.h"
#include "platform/RuntimeError.h"

void State2::State_Command1(const QString&)
{
    // Without a target folder every document would be written outside any
    // folder the user chose: refuse to start.
    if (mMediator->GetTgtFolder().isEmpty()) {
        platform::MsgBox(QStringLiteral("Select a target folder before starting the batch."),
                         platform::MsgButtons::OK, platform::MsgIcon::Exclamation);
        return;
    }

    const std::shared_ptr<Chain> chain = Chain::BuildExtensionChain();
    mMediator->ClearDocuments();
    mPending = std::make_shared<Stack>();
    clsFileSystem fs;

    // A source folder that is not chosen, does not exist or cannot be read
    // lists nothing, so nothing is converted.
    platform::FileListBox& files = mMediator->FileList();
    try {
        files.setPath(mMediator->GetSourceFolder());
    } catch (const platform::RuntimeError&) {
    }
    const int count = files.listCount();
    for (int i = 0; i < count; ++i) {
        try {
            files.setListIndex(i);
            const QString path = fs.JoinPath(files.path(), files.fileName());
            QString extension = fs.GetFileExtension(path).toLower();
            gAccepted = false;
            chain->sendToChain(extension);
            if (gAccepted) {
                auto document = std::make_shared<ParseObject1>();
                document->init(path);
                mPending->add(document);
            }
        } catch (const platform::RuntimeError&) {
            // A file that cannot be examined is skipped.
        }
    }

    // Convert the queue. A document that fails has already been taken off
    // the queue and marked "Failed"; the batch goes on with the next one.
    mMediator->Progress().Start(static_cast<int>(mPending->size()));
    struct Finish {
        Mediator* mediator;
        ~Finish() { mediator->Progress().Finish(mediator->Documents()); }
    } finish{mMediator};
    for (;;) {
        const std::size_t before = mPending->size();
        auto next = std::make_shared<Cmd2>();
        next->init(mMediator);
        try {
            static_cast<Command&>(*next).Execute();
            return;
        } catch (const platform::RuntimeError&) {
            if (!mPending->hasMoreElements() || mPending->size() >= before)
                return;
        }
    }
}
