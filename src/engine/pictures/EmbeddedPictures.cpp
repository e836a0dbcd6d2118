// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/EmbeddedPictures.h"

#include "engine/office/OfficeSession.h"
#include "engine/pictures/PictureInserter.h"
#include "engine/pictures/PictureProbe.h"
#include "engine/pictures/PictureReader.h"
#include "platform/files/FileNames.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <cstring>
#include <exception>
#include <sys/stat.h>
#include <system_error>
#include <utility>

namespace engine {

EmbeddedPictures::EmbeddedPictures(const QString& path) : mPath(path)
{
    const int declared = PictureProbe::Declared(path);
    if (declared == 0)
        return;
    auto found = std::make_shared<std::promise<QList<qint64>>>();
    mTooLarge = found->get_future();
    const auto work = [path, declared, found] {
        bool told = false;
        const auto tell = [&](const QList<qint64>& at) {
            if (!std::exchange(told, true))
                found->set_value(at);
        };
        PictureReader::Result read;
        try {
            read = PictureReader::Read(path, declared, tell);
        } catch (const std::exception&) {
            read.unread = declared; // not even the reader could be run
        }
        tell({});
        return Prepared{std::move(read.pictures), {read.unread, read.unplaced, read.tooLarge}};
    };
    try {
        mWork = std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        // No thread to be had: read them when they are asked for.
        mWork = std::async(std::launch::deferred, work);
        mDeferred = true;
    }
}

EmbeddedPictures::~EmbeddedPictures()
{
    if (mWork.valid())
        mWork.wait();
    if (!mCopy.isEmpty())
        platform::RemoveOwnFile(mCopy, S_IFREG);
}

QString EmbeddedPictures::fileForTheOffice(const QString& folder)
{
    if (!mTooLarge.valid())
        return mCopy.isEmpty() ? mPath : mCopy;
    if (mDeferred)
        prepared();
    const QList<qint64> tooLarge = mTooLarge.get();
    std::optional<QByteArray> bytes = tooLarge.isEmpty() ? std::nullopt : platform::ReadWholeFile(mPath);
    if (!bytes)
        return mPath;
    // A picture without its first four bytes (WordPerfect Graphics' "\xFFWPC",
    // or a compound file's signature) is nothing libwpg reads.
    for (const qint64 at : tooLarge)
        if (at >= 0 && at <= bytes->size() - 4)
            std::memset(bytes->data() + at, 0, 4);
    try {
        platform::MakePrivateFolder(folder);
        mCopy = folder + QStringLiteral("/document.wpd");
        platform::WritePrivateFile(mCopy, *bytes);
    } catch (const platform::RuntimeError&) {
        platform::RemoveOwnFile(mCopy, S_IFREG);
        mCopy.clear();
        return mPath; // the office reads them then, as it would alone
    }
    return mCopy;
}

std::function<void(OfficeSession&)>& EmbeddedPictures::beforeInserting()
{
    static std::function<void(OfficeSession&)> hook;
    return hook;
}

void EmbeddedPictures::SetBeforeInserting(std::function<void(OfficeSession&)> hook)
{
    beforeInserting() = std::move(hook);
}

const std::optional<EmbeddedPictures::Prepared>& EmbeddedPictures::prepared()
{
    if (mWork.valid())
        mPrepared = mWork.get();
    return mPrepared;
}

EmbeddedPictures::LeftOut EmbeddedPictures::insertInto(OfficeSession& session,
                                                       const css::uno::Reference<css::lang::XComponent>& document)
{
    if (!prepared())
        return {};
    if (beforeInserting() && !mPrepared->pictures.isEmpty())
        beforeInserting()(session);
    const PictureInserter::LeftOut notInserted =
        PictureInserter::Insert(session.context(), document, mPrepared->pictures);
    return {mPrepared->leftOut.unread + notInserted.unread, mPrepared->leftOut.unplaced + notInserted.unplaced,
            mPrepared->leftOut.tooLarge};
}

EmbeddedPictures::LeftOut EmbeddedPictures::leaveOut()
{
    if (!prepared())
        return {};
    LeftOut leftOut = mPrepared->leftOut;
    leftOut.unplaced += int(mPrepared->pictures.size());
    return leftOut;
}

} // namespace engine
