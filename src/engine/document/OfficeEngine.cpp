// SPDX-License-Identifier: MPL-2.0
#include "engine/document/OfficeEngine.h"

#include "engine/office/UnoRuntime.h"
#include "platform/files/FileNames.h"
#include "platform/files/RunFolder.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

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
    if (mDocument)
        return;
    if (mLost)
        throw *mLost; // what took the document away
    throw RuntimeError(RuntimeError::AutomationError, QStringLiteral("Cannot %1: no document is open").arg(action),
                       kSource);
}

void OfficeEngine::guarded(const QString& action, const QString& file, std::chrono::milliseconds limit,
                           const std::function<void()>& body)
{
    WatchdogScope watchdog(mSession.watchdog(), limit, [this] { mSession.killFromAnyThread(); });
    const auto failed = [&](const QString& reason, bool bridgeGone) {
        const bool timedOut = watchdog.fired();
        const QString death = mSession.checkAfterFailure(bridgeGone);
        mLastFailure = timedOut            ? Failure::TimedOut
                       : !death.isEmpty() ? Failure::OfficeDied
                                          : Failure::OfficeError;
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

void OfficeEngine::load(const QString& file, const QString& path, qint64 size, OfficeDocument::Way way)
{
    if (mDocument) {
        mDocument->close();
        mDocument.reset();
    }
    guarded(QStringLiteral("open"), path,
            limitFor(size) + (mSession.isConnected() ? std::chrono::seconds(0) : std::chrono::seconds(60)), [&] {
                mSession.ensureRunning();
                mDocument = OfficeDocument::Load(mSession, file, path, way);
            });
    mPlain = way == OfficeDocument::Way::Plain;
}

void OfficeEngine::open(const QString& file, qint64 size, const QString& shownAs, bool plainly)
{
    const QString path = shownAs.isEmpty() ? file : shownAs;
    // A document left open by an earlier job that failed half-way.
    if (mDocument) {
        mDocument->close();
        mDocument.reset();
    }
    removeSourceLink();
    mPlayed.reset();
    mLost.reset();
    mNotes.clear();
    mSession.restartIfOverMemoryLimit();
    mDocumentFile = readableName(file);
    mDocumentPath = path;
    mDocumentSize = size;
    if (plainly) {
        load(mDocumentFile, path, size, OfficeDocument::Way::Plain);
        return;
    }
    const bool officeWasUsed = mSession.isConnected();
    try {
        load(mDocumentFile, path, size, OfficeDocument::Way::Full);
        return;
    } catch (const RuntimeError&) {
        if (!officeFailed())
            throw; // the engine's own refusal: the plain way would refuse too
    }
    // An office that had already served documents may have died after the
    // last of them (while it closed it, say): this document gets a fresh
    // office, the full way, before it is blamed.
    if (officeWasUsed && mLastFailure == Failure::OfficeDied) {
        try {
            load(mDocumentFile, path, size, OfficeDocument::Way::Full);
            return;
        } catch (const RuntimeError&) {
            if (!officeFailed())
                throw;
        }
    }
    load(mDocumentFile, path, size, OfficeDocument::Way::Plain);
}

void OfficeEngine::reopenPlainly()
{
    load(mDocumentFile, mDocumentPath, mDocumentSize, OfficeDocument::Way::Plain);
    if (mPlayed)
        guarded(QStringLiteral("play the macro on"), mDocumentPath, limitFor(mDocumentSize),
                [&] { mDocument->play(mSession, *mPlayed); });
}

void OfficeEngine::onDocument(const QString& action, const QString& file, const std::function<void()>& step)
{
    try {
        guarded(action, file, limitFor(mDocumentSize), step);
        return;
    } catch (const RuntimeError& e) {
        if (!officeFailed() || mPlain) {
            if (!mDocument)
                mLost = e;
            throw;
        }
    }
    try {
        reopenPlainly();
        guarded(action, file, limitFor(mDocumentSize), step);
    } catch (const RuntimeError& e) {
        if (!mDocument)
            mLost = e;
        throw;
    }
}

bool OfficeEngine::isBlank()
{
    requireDocument(QStringLiteral("test for a blank document"));
    bool blank = false;
    onDocument(QStringLiteral("examine"), mDocument->sourcePath(), [&] { blank = mDocument->isBlank(); });
    return blank;
}

void OfficeEngine::moveToTop()
{
    requireDocument(QStringLiteral("move to the top"));
    onDocument(QStringLiteral("move to the top of"), mDocument->sourcePath(), [&] { mDocument->moveToTop(); });
}

void OfficeEngine::play(const MacroFile& macro)
{
    requireDocument(QStringLiteral("play a macro"));
    onDocument(QStringLiteral("play the macro on"), mDocument->sourcePath(), [&] { mDocument->play(mSession, macro); });
    if (!macro.commands().isEmpty())
        mPlayed = macro; // played again on a plain reload
}

void OfficeEngine::saveCopy(const QString& path)
{
    requireDocument(QStringLiteral("save"));
    onDocument(QStringLiteral("save"), path, [&] { mDocument->storeCopy(path); });
}

void OfficeEngine::saveWord(const QString& path, const SaveFormat& format, mode_t permissions)
{
    requireDocument(QStringLiteral("save"));
    onDocument(QStringLiteral("save"), path, [&] {
        mDocument->storeWord(mSession, path, platform::RunFolder::Instance(), mSession.saveFolder(), format,
                             permissions);
    });
    mNotes = mDocument->notes();
}

void OfficeEngine::close()
{
    if (mDocument)
        closeDocument(mDocument);
    mPlayed.reset();
    mLost.reset();
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
    using Way = OfficeDocument::Way;
    mSession.restartIfOverMemoryLimit();
    try {
        start();
    } catch (const RuntimeError&) {
        return State::Waiting;
    }
    const auto limit = limitFor(prepared.identity.size());
    // The full way first, and the plain way when the office fails on it, as
    // for the program's own calls.
    for (const Way way : {Way::Full, Way::Plain}) {
        std::unique_ptr<OfficeDocument> document;
        try {
            // As a direct open would: the same limit, the same refusals.
            guarded(QStringLiteral("open"), prepared.path, limit + (mSession.isConnected() ? std::chrono::seconds(0) : std::chrono::seconds(60)), [&] {
                mSession.ensureRunning();
                document = OfficeDocument::Load(mSession, prepared.copy, prepared.path, way);
            });
            guarded(QStringLiteral("examine"), prepared.path, limit, [&] {
                prepared.blank = document->isBlank();
                prepared.textCopy = document->textCopy();
            });
            bool written = false;
            guarded(QStringLiteral("save"), prepared.path, limit,
                    [&] { written = document->storeWordPrivately(mSession, prepared.word, *prepared.format); });
            if (!written)
                throw RuntimeError(RuntimeError::PermissionDenied, QStringLiteral("The office wrote nothing"),
                                   kSource);
            prepared.notes = document->notes();
            closeDocument(document);
            return State::Ready;
        } catch (const RuntimeError& e) {
            if (document) {
                if (mSession.isConnected())
                    document->close();
                else
                    document->abandon(); // it went with the office
            }
            if (!officeFailed()) {
                // Refused as a direct open would refuse it; a failure past
                // the open leaves it to the direct conversion.
                if (document)
                    return State::Fallback;
                prepared.refusal = e;
                return State::Refused;
            }
            if (way == Way::Plain) {
                // The office failed on it both ways: the direct conversion,
                // on office 0, makes its own plain try and gives the reason.
                prepared.plainly = true;
                return State::Fallback;
            }
        }
    }
    return State::Fallback; // not reached
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
