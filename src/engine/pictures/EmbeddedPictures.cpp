#include "engine/pictures/EmbeddedPictures.h"

#include "engine/office/OfficeSession.h"
#include "engine/pictures/PictureCollector.h"
#include "engine/pictures/PictureConverter.h"
#include "engine/pictures/PictureInserter.h"
#include "engine/pictures/PictureProbe.h"

#include <QHash>
#include <system_error>

namespace engine {

EmbeddedPictures::EmbeddedPictures(const QString& path)
{
    if (!PictureProbe::MayHavePictures(path))
        return;
    try {
        mWork = std::async(std::launch::async, [path] { return Prepare(path); });
    } catch (const std::system_error&) {
        // No thread to be had: read them when they are asked for.
        mWork = std::async(std::launch::deferred, [path] { return Prepare(path); });
    }
}

EmbeddedPictures::~EmbeddedPictures()
{
    if (mWork.valid())
        mWork.wait();
}

EmbeddedPictures::Prepared EmbeddedPictures::Prepare(const QString& path)
{
    PictureCollector::Result found = PictureCollector::Collect(path);
    Prepared prepared;
    prepared.leftOut = {found.unread, found.unplaced};
    // Boxes that show the same picture share its data (WordPerfect keeps
    // one packet for them): it is converted once.
    QHash<QByteArray, std::optional<PictureConverter::Picture>> converted;
    for (EmbeddedPicture& picture : found.pictures) {
        auto known = converted.constFind(picture.data);
        if (known == converted.constEnd())
            known = converted.insert(picture.data, PictureConverter::Convert(picture.data, picture.mimeType));
        if (!*known) {
            ++prepared.leftOut.unread;
            continue;
        }
        picture.data = (*known)->data; // shared, not copied
        picture.mimeType = (*known)->mimeType;
        prepared.pictures.append(std::move(picture));
    }
    return prepared;
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
    return {mPrepared->leftOut.unread + notInserted.unread, mPrepared->leftOut.unplaced + notInserted.unplaced};
}

EmbeddedPictures::LeftOut EmbeddedPictures::leaveOut()
{
    if (!prepared())
        return {};
    return {mPrepared->leftOut.unread, mPrepared->leftOut.unplaced + int(mPrepared->pictures.size())};
}

} // namespace engine
