// SPDX-License-Identifier: MPL-2.0
#include "engine/server/OfficePool.h"

#include "engine/document/OfficeEngine.h"
#include "engine/document/SourceSnapshot.h"
#include "engine/pictures/WordPerfectHeader.h"
#include "engine/server/EngineCall.h"
#include "engine/server/EngineThread.h"
#include "platform/desktop/Program.h"
#include "platform/files/FileNames.h"
#include "platform/files/RunFolder.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sched.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace engine {

namespace {

using State = PreparedDocument::State;

// MemAvailable of /proc/meminfo, in bytes (0 when unknown).
qint64 availableMemory()
{
    QFile info(QStringLiteral("/proc/meminfo"));
    if (!info.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = info.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("MemAvailable:"))
            return line.mid(13).simplified().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

int processorCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return CPU_COUNT(&set);
    return static_cast<int>(std::thread::hardware_concurrency());
}

} // namespace

int OfficePool::DefaultSize()
{
    bool given = false;
    const int forced = qEnvironmentVariableIntValue("TALLOWIN_OFFICES", &given);
    if (given)
        return std::clamp(forced, 1, EngineThread::kMaxThreads);
    const int cores = std::max(1, processorCores());
    const qint64 available = availableMemory();
    const int byMemory = available > 0 ? static_cast<int>(available / 2 / kOfficeBytes) : cores;
    return std::clamp(std::min(cores, byMemory), 1, EngineThread::kMaxThreads);
}

OfficePool::OfficePool(std::vector<Office> offices, QString folder, QString memoryFolder)
    : mOffices(std::move(offices)),
      mFolder(std::move(folder)),
      mMemoryFolder(std::move(memoryFolder)),
      mBusy(mOffices.size(), false),
      mRetired(mOffices.size(), false)
{
}

OfficePool::~OfficePool()
{
    platform::RunFolder::RemoveTree(mFolder);
    if (!mMemoryFolder.isEmpty())
        platform::RunFolder::RemoveTree(mMemoryFolder);
}

int OfficePool::active()
{
    std::lock_guard guard(mLock);
    return mActive;
}

int OfficePool::officesForLocked(int documents) const
{
    // While an office starts, the running ones convert this many documents:
    // one more office pays only for the documents beyond them.
    const double perStart = std::max(1.0, mStartMs / mDocumentMs);
    const double offices = 1 + std::max(0, documents - 1) / perStart;
    return std::clamp(static_cast<int>(offices), 1, size());
}

void OfficePool::expect(int documents)
{
    std::lock_guard guard(mLock);
    expectLocked(documents);
}

void OfficePool::expectLocked(int documents)
{
    if (mShutDown)
        return;
    for (const int wanted = officesForLocked(documents); mActive < wanted; ++mActive) {
        mOffices[static_cast<std::size_t>(mActive)].thread->post(
            [self = shared_from_this(), office = mActive] { self->start(office); });
    }
}

void OfficePool::start(int office)
{
    OfficeEngine& engine = *mOffices[static_cast<std::size_t>(office)].engine;
    try {
        engine.start();
    } catch (const platform::RuntimeError&) {
        return; // the first call that needs this office reports it
    }
    const auto took = engine.session().lastStartTime();
    std::lock_guard guard(mLock);
    if (took.count() > 0)
        mStartMs = static_cast<double>(took.count());
}

void OfficePool::announce(const QStringList& paths, const SaveFormat& format)
{
    std::lock_guard guard(mLock);
    if (mShutDown)
        return;
    expectLocked(static_cast<int>(paths.size()));
    for (const Document& document : mDocuments)
        if (document)
            dropLocked(document);
    mDocuments.clear();
    mIndex.clear();
    mDocuments.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) {
        if (!mIndex.contains(path))
            mIndex.insert(path, static_cast<int>(mDocuments.size()));
        mDocuments.push_back(std::make_shared<PreparedDocument>(path, &format));
    }
    mNext = 0;
    mScan = 0;
    mStopped = false;
    std::fill(mRetired.begin(), mRetired.end(), false);
    scheduleLocked();
}

std::shared_ptr<PreparedDocument> OfficePool::take(const QString& path, const FileIdentity& now,
                                                   std::chrono::milliseconds limit, bool* plainly)
{
    std::unique_lock guard(mLock);
    const auto found = mIndex.constFind(path);
    if (found == mIndex.constEnd() || *found < mNext)
        return nullptr;
    const int index = *found;
    for (int i = mNext; i < index; ++i) {
        if (Document& skipped = mDocuments[static_cast<std::size_t>(i)]) {
            dropLocked(skipped);
            skipped.reset();
        }
    }
    mNext = index + 1;
    Document document = std::move(mDocuments[static_cast<std::size_t>(index)]);
    mDocuments[static_cast<std::size_t>(index)].reset();
    if (!document) // dropped when the work ahead stopped
        return nullptr;
    while (document->state == State::Working) {
        // The office's thread finishes its current work before this empty
        // task: when it returns, the document is done.
        const int office = document->office;
        guard.unlock();
        bool answered = true;
        try {
            EngineCall::RunOn(*mOffices[static_cast<std::size_t>(office)].thread, [] {}, limit);
        } catch (const platform::RuntimeError&) {
            answered = false;
        }
        guard.lock();
        if (!answered) {
            mRetired[static_cast<std::size_t>(office)] = true;
            break;
        }
    }
    if (plainly)
        *plainly = document->state == State::Fallback && document->plainly && document->identity == now;
    Document usable;
    if ((document->state == State::Ready || document->state == State::Refused) && document->identity == now)
        usable = document;
    else
        dropLocked(document);
    scheduleLocked();
    return usable;
}

void OfficePool::release(const std::shared_ptr<PreparedDocument>& document)
{
    if (document)
        removeFiles(*document);
}

void OfficePool::hold(bool held)
{
    std::lock_guard guard(mLock);
    mHeld = held;
    scheduleLocked();
}

void OfficePool::stopWorkingAhead()
{
    std::lock_guard guard(mLock);
    mStopped = true;
    for (Document& document : mDocuments) {
        if (document) {
            dropLocked(document);
            document.reset();
        }
    }
}

void OfficePool::shutDown()
{
    stopWorkingAhead();
    std::lock_guard guard(mLock);
    mShutDown = true;
}

bool OfficePool::waitUntilIdle(std::chrono::milliseconds limit)
{
    std::unique_lock guard(mLock);
    return mIdle.wait_for(guard, limit, [this] { return std::none_of(mBusy.begin(), mBusy.end(), [](bool b) { return b; }); });
}

void OfficePool::scheduleLocked()
{
    if (mStopped || mShutDown)
        return;
    for (int office = 0; office < mActive; ++office) {
        const auto k = static_cast<std::size_t>(office);
        if (mBusy[k] || mRetired[k] || (office == 0 && mHeld))
            continue;
        const Document next = nextWaitingLocked();
        if (!next)
            return;
        next->state = State::Working;
        next->office = office;
        next->number = mNextFolder++;
        mBusy[k] = true;
        mOffices[k].thread->post([self = shared_from_this(), office, next] { self->work(office, next); });
    }
}

OfficePool::Document OfficePool::nextWaitingLocked()
{
    const int end = std::min(static_cast<int>(mDocuments.size()), mNext + kAheadPerOffice * mActive);
    mScan = std::max(mScan, mNext);
    for (; mScan < end; ++mScan) {
        const Document& document = mDocuments[static_cast<std::size_t>(mScan)];
        if (document && document->state == State::Waiting)
            return document;
    }
    return nullptr;
}

void OfficePool::dropLocked(const Document& document)
{
    // An office working on it removes its files when it is done.
    if (document->state != State::Working)
        removeFiles(*document);
    document->state = State::Dropped;
}

void OfficePool::removeFiles(PreparedDocument& document)
{
    if (document.folder.isEmpty())
        return;
    ::unlink(platform::EncodeFileName(document.copy).constData());
    ::unlink(platform::EncodeFileName(document.word).constData());
    if (::rmdir(platform::EncodeFileName(document.folder).constData()) != 0)
        platform::RunFolder::RemoveTree(document.folder); // something else was left in it
    document.folder.clear();
}

void OfficePool::work(int office, const Document& document)
{
    bool wanted;
    {
        std::lock_guard guard(mLock);
        // Once the program is ending, its folders are being removed: no
        // new private copy is made in them.
        wanted = document->state == State::Working && !mShutDown && !platform::IsLeaving();
    }
    const auto began = std::chrono::steady_clock::now();
    const State state = wanted ? prepare(office, *document) : State::Fallback;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();

    std::lock_guard guard(mLock);
    if (state == State::Ready)
        mDocumentMs += (ms - mDocumentMs) / 8; // the recent documents count most
    const auto k = static_cast<std::size_t>(office);
    mBusy[k] = false;
    if (document->state == State::Dropped) {
        removeFiles(*document);
    } else if (state == State::Waiting) {
        // This office cannot start: another takes the document.
        removeFiles(*document);
        document->state = State::Waiting;
        mRetired[k] = true;
        mScan = mNext;
    } else {
        if (state != State::Ready && state != State::Refused)
            removeFiles(*document);
        document->state = state;
    }
    scheduleLocked();
    mIdle.notify_all();
}

State OfficePool::prepare(int office, PreparedDocument& document)
{
    SourceSnapshot source(document.path);
    if (!source.isReadable())
        return State::Fallback;
    const QString base =
        source.size() <= kInMemoryBytes && !mMemoryFolder.isEmpty() ? mMemoryFolder : mFolder;
    const QString name = base + QStringLiteral("/%1").arg(document.number);
    document.folder = name;
    // The copy keeps the document's name, unless that is not valid UTF-8,
    // which the office cannot be given (see OfficeEngine::readableName).
    document.copy = name + QLatin1Char('/') +
                    platform::TextFileName(QFileInfo(document.path).fileName(), QStringLiteral("source"));
    document.word = name + QLatin1Char('.') + document.format->extension();
    try {
        platform::MakePrivateFolder(document.folder);
    } catch (const platform::RuntimeError&) {
        return State::Fallback;
    }
    const std::optional<FileIdentity> identity = source.copyTo(document.copy);
    // A password-protected document fails its FileOpen before the office
    // sees it.
    if (!identity || WordPerfectHeader::IsPasswordProtected(document.copy))
        return State::Fallback;
    document.identity = *identity;
    return mOffices[static_cast<std::size_t>(office)].engine->prepare(document);
}

} // namespace engine
