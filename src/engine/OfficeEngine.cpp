#include "engine/OfficeEngine.h"

#include "engine/UnoRuntime.h"
#include "platform/FileNames.h"
#include "platform/RunFolder.h"
#include "platform/RuntimeError.h"
#include "platform/TempFiles.h"

#include <QFileInfo>
#include <com/sun/star/lang/DisposedException.hpp>
#include <unistd.h>

using namespace css;
using platform::RuntimeError;

namespace engine {

namespace {
const QString kSource = QStringLiteral("Office engine");

QString seconds(std::chrono::milliseconds limit)
{
    return QString::number(limit.count() / 1000.0, 'g', 4);
}
} // namespace

OfficeEngine::OfficeEngine() = default;

OfficeEngine::~OfficeEngine()
{
    abandon();
}

std::chrono::milliseconds OfficeEngine::limitFor(qint64 bytes) const
{
    return mLimits.base + mLimits.perMegabyte * bytes / (1024 * 1024);
}

void OfficeEngine::start()
{
    guarded(QStringLiteral("start"), QStringLiteral("the office"), mLimits.base + std::chrono::seconds(60),
            [this] { mSession.ensureRunning(); });
}

void OfficeEngine::requireDocument(const QString& action) const
{
    if (!mDocument)
        throw RuntimeError(RuntimeError::AutomationError,
                           QStringLiteral("Cannot %1: no document is open").arg(action), kSource);
}

void OfficeEngine::guarded(const QString& action, const QString& file, std::chrono::milliseconds limit,
                           const std::function<void()>& body)
{
    WatchdogScope watchdog(mSession.watchdog(), limit, [this] { mSession.killFromAnyThread(); });
    const auto failed = [&](const QString& reason, bool bridgeGone) {
        const bool timedOut = watchdog.fired();
        const QString death = mSession.checkAfterFailure(bridgeGone);
        mLastFailure = timedOut ? Failure::TimedOut : death.isEmpty() ? Failure::None : Failure::OfficeDied;
        if ((!death.isEmpty() || timedOut) && mDocument) {
            mDocument->abandon(); // it went with the office
            mDocument.reset();
        }
        if (timedOut)
            return RuntimeError(RuntimeError::AutomationError,
                                QStringLiteral("Cannot %1 %2: the office did not finish within %3 s and was "
                                               "stopped; a new one starts with the next document")
                                    .arg(action, file, seconds(limit)),
                                kSource);
        if (!death.isEmpty())
            return RuntimeError(RuntimeError::AutomationError,
                                QStringLiteral("Cannot %1 %2: %3; a new office starts with the next document")
                                    .arg(action, file, death),
                                kSource);
        return RuntimeError(RuntimeError::AutomationError,
                            QStringLiteral("Cannot %1 %2: %3").arg(action, file, reason), kSource);
    };
    mLastFailure = Failure::None;
    try {
        body();
    } catch (const RuntimeError& e) {
        // Our own refusals pass unchanged while the office lives.
        if (!watchdog.fired() && (mSession.isRunning() || !mSession.hasProcess()))
            throw;
        throw failed(e.description(), false);
    } catch (const lang::DisposedException& e) {
        throw failed(UnoRuntime::Describe(e), true);
    } catch (const uno::Exception& e) {
        throw failed(UnoRuntime::Describe(e), false);
    } catch (const std::exception& e) {
        throw failed(QString::fromLocal8Bit(e.what()), false);
    }
}

void OfficeEngine::open(const QString& file, qint64 size, const QString& shownAs)
{
    const QString path = shownAs.isEmpty() ? file : shownAs;
    // A document left open by an earlier job that failed half-way.
    if (mDocument) {
        mDocument->close();
        mDocument.reset();
    }
    removeSourceLink();
    mSession.restartIfOverMemoryLimit();
    const auto load = [&] {
        guarded(QStringLiteral("open"), path,
                limitFor(size) + (mSession.isConnected() ? std::chrono::seconds(0) : std::chrono::seconds(60)),
                [&] {
                    mSession.ensureRunning();
                    mDocument = OfficeDocument::Load(mSession, readableName(file), path);
                    mDocumentSize = size;
                });
    };
    const bool officeWasUsed = mSession.isConnected();
    try {
        load();
    } catch (const RuntimeError&) {
        // An office that had already served documents may have died after
        // the last of them (while it closed it, say): this document gets a
        // fresh office before it is blamed. One that crashes a fresh office
        // too fails.
        if (!officeWasUsed || mLastFailure != Failure::OfficeDied)
            throw;
        load();
    }
}

bool OfficeEngine::isBlank()
{
    requireDocument(QStringLiteral("test for a blank document"));
    bool blank = false;
    guarded(QStringLiteral("examine"), mDocument->sourcePath(), limitFor(mDocumentSize),
            [&] { blank = mDocument->isBlank(); });
    return blank;
}

void OfficeEngine::moveToTop()
{
    requireDocument(QStringLiteral("move to the top"));
    guarded(QStringLiteral("move to the top of"), mDocument->sourcePath(), limitFor(mDocumentSize),
            [&] { mDocument->moveToTop(); });
}

void OfficeEngine::play(const MacroFile& macro)
{
    requireDocument(QStringLiteral("play a macro"));
    guarded(QStringLiteral("play the macro on"), mDocument->sourcePath(), limitFor(mDocumentSize),
            [&] { mDocument->play(mSession, macro); });
}

void OfficeEngine::saveCopy(const QString& path)
{
    requireDocument(QStringLiteral("save"));
    guarded(QStringLiteral("save"), path, limitFor(mDocumentSize), [&] { mDocument->storeCopy(path); });
}

void OfficeEngine::saveWord(const QString& path, const SaveFormat& format)
{
    requireDocument(QStringLiteral("save"));
    guarded(QStringLiteral("save"), path, limitFor(mDocumentSize), [&] {
        mDocument->storeWord(mSession, path, platform::RunFolder::Instance(), mSession.saveFolder(), format);
    });
}

void OfficeEngine::close()
{
    if (mDocument)
        closeDocument(mDocument);
    removeSourceLink();
}

QString OfficeEngine::readableName(const QString& file)
{
    // The office takes file names as UTF-8 text, so a name that is not
    // valid UTF-8 (a Latin-1 "caf\xe9.wpd") names nothing there: the office
    // reads the document through a link of the session's own that points at
    // the file's true name.
    if (!platform::HasUndecodableBytes(file))
        return file;
    // In a folder of its own: not the save folder, which a failed save
    // empties.
    const QString folder = mSession.folder() + QStringLiteral("/source");
    platform::MakePrivateFolder(folder);
    const QString link =
        folder + QLatin1Char('/') + platform::TextFileName(QFileInfo(file).fileName(), QStringLiteral("source"));
    const QByteArray native = platform::EncodeFileName(link);
    ::unlink(native.constData());
    if (::symlink(platform::EncodeFileName(file).constData(), native.constData()) != 0)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot open %1: its name cannot be handed to the office").arg(file),
                           kSource);
    mSourceLink = link;
    return link;
}

void OfficeEngine::removeSourceLink() noexcept
{
    if (mSourceLink.isEmpty())
        return;
    ::unlink(platform::EncodeFileName(mSourceLink).constData());
    mSourceLink.clear();
}

void OfficeEngine::closeDocument(std::unique_ptr<OfficeDocument>& document)
{
    WatchdogScope watchdog(mSession.watchdog(), mLimits.base, [this] { mSession.killFromAnyThread(); });
    document->close();
    document.reset();
    if (watchdog.fired())
        mSession.checkAfterFailure(false);
}

PreparedDocument::State OfficeEngine::prepare(PreparedDocument& prepared)
{
    using State = PreparedDocument::State;
    mSession.restartIfOverMemoryLimit();
    try {
        start();
    } catch (const RuntimeError&) {
        return State::Waiting;
    }
    const auto limit = limitFor(prepared.identity.size());
    std::unique_ptr<OfficeDocument> document;
    try {
        // As a direct open would, with the office connected: the same
        // limit, the same refusals.
        guarded(QStringLiteral("open"), prepared.path, limit,
                [&] { document = OfficeDocument::Load(mSession, prepared.copy, prepared.path); });
    } catch (const RuntimeError& e) {
        if (mLastFailure == Failure::OfficeDied)
            return State::Fallback; // the direct open gives it a fresh office first
        prepared.refusal = e;
        return State::Refused;
    }
    try {
        guarded(QStringLiteral("examine"), prepared.path, limit, [&] {
            prepared.blank = document->isBlank();
            prepared.textCopy = document->textCopy();
            prepared.picturesLeftOut = document->picturesLeftOut();
        });
        bool written = false;
        guarded(QStringLiteral("save"), prepared.path, limit,
                [&] { written = document->storeWordPrivately(mSession, prepared.word, *prepared.format); });
        if (!written)
            throw RuntimeError(RuntimeError::PermissionDenied, QStringLiteral("The office wrote nothing"), kSource);
    } catch (const RuntimeError&) {
        if (mSession.isConnected())
            document->close();
        else
            document->abandon(); // it went with the office
        return State::Fallback;
    }
    closeDocument(document);
    return State::Ready;
}

void OfficeEngine::abandon()
{
    mSession.killFromAnyThread();
    if (mDocument)
        mDocument->abandon();
    mDocument.reset();
    removeSourceLink();
    mSession.abandon();
}

} // namespace engine
