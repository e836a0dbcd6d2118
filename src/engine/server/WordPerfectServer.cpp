// SPDX-License-Identifier: MPL-2.0
#include "engine/server/WordPerfectServer.h"

#include "engine/document/FileIdentity.h"
#include "engine/document/MacroFile.h"
#include "engine/document/OfficeEngine.h"
#include "engine/document/PlainTextCopy.h"
#include "engine/document/PreparedDocument.h"
#include "engine/document/SaveFormat.h"
#include "engine/document/WordFile.h"
#include "engine/pictures/WordPerfectHeader.h"
#include "engine/server/EngineCall.h"
#include "engine/server/EngineThread.h"
#include "engine/server/OfficePool.h"
#include "platform/files/FileNames.h"
#include "platform/files/RunFolder.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/TempFiles.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::RuntimeError;
using platform::Value;

namespace engine {

namespace {

const QString kSource = QStringLiteral("Office engine");

QString absolute(const QString& path)
{
    if (path.isEmpty())
        throw RuntimeError(RuntimeError::FileNotFound, QStringLiteral("No file name was given"), kSource);
    return platform::AbsolutePath(path);
}

// What checkSource found: what stat says of the file, and its first bytes.
struct Source {
    struct stat info;
    QByteArray firstBytes; // up to 16
};

// Checks, before the office sees it, that `path` is a regular file we may
// read: anything else (a FIFO above all, which would block the load for
// ever) fails at once.
Source checkSource(const QString& path)
{
    const QByteArray native = platform::EncodeFileName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        const int err = errno;
        throw RuntimeError(err == ENOENT || err == ENOTDIR ? RuntimeError::FileNotFound
                                                           : RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(err))),
                           kSource);
    }
    if (!S_ISREG(info.st_mode))
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("Cannot open %1: it is not a regular file").arg(path), kSource);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))),
                           kSource);
    char bytes[16];
    const ssize_t got = ::read(fd, bytes, sizeof bytes);
    ::close(fd);
    return {info, got > 0 ? QByteArray(bytes, static_cast<int>(got)) : QByteArray()};
}

} // namespace

WordPerfectServer::WordPerfectServer()
    : mEngine(std::make_shared<OfficeEngine>()),
      mBaseLimit(OfficeEngine::Limits().base),
      mPerMegabyteLimit(OfficeEngine::Limits().perMegabyte)
{
    std::vector<OfficePool::Office> offices{{&EngineThread::Instance(), mEngine}};
    const int size = OfficePool::DefaultSize();
    for (int i = 1; i < size; ++i)
        offices.push_back({&EngineThread::ForOffice(i), std::make_shared<OfficeEngine>()});
    // The work ahead goes to memory-backed storage where there is some.
    platform::RunFolder& run = platform::RunFolder::Instance();
    const QString folder = run.newSubfolder(QStringLiteral("ahead"));
    const QString memoryFolder = run.memorySubfolder(QFileInfo(folder).fileName());
    mPool = std::make_shared<OfficePool>(std::move(offices), folder, memoryFolder);

    addMember(QStringLiteral("FileOpen"), [this](const auto& args) { return fileOpen(args); });
    addMember(QStringLiteral("envDocBlank"), [this](const auto& args) { return envDocBlank(args); });
    addMember(QStringLiteral("PosDocVeryTop"), [this](const auto& args) { return posDocVeryTop(args); });
    addMember(QStringLiteral("MacroFilePlay"), [this](const auto& args) { return macroFilePlay(args); });
    addMember(QStringLiteral("envMacroPlaying"), [this](const auto& args) { return envMacroPlaying(args); });
    addMember(QStringLiteral("FileSave"), [this](const auto& args) { return fileSave(args); });
    addMember(QStringLiteral("CloseNoSave"), [this](const auto& args) { return closeNoSave(args); });
    addMember(QStringLiteral("envConversionNotes"), [this](const auto& args) { return envConversionNotes(args); });
    addMember(QStringLiteral("AnnounceDocuments"), [this](const auto& args) { return announceDocuments(args); });
    addMember(QStringLiteral("BeginRun"), [this](const auto& args) { return beginRun(args); });
    addMember(QStringLiteral("WaitForStart"), [this](const auto& args) { return waitForStart(args); });

    addMember(QStringLiteral("ExpectDocuments"), [this](const auto& args) { return expectDocuments(args); });

    for (int i = 0; i < mPool->size(); ++i) {
        const OfficePool::Office& office = mPool->office(i);
        EngineCall::RunQuietlyOn(
            *office.thread, [engine = office.engine] { engine->session().setMemoryLimit(kDefaultMemoryLimit); },
            std::chrono::milliseconds(0));
    }
    // Office 0 starts behind the windows; the first call waits for it. A
    // failure here shows up as the failure of that call. The others start
    // when a batch needs them.
    mPool->expect(1);
}

WordPerfectServer::~WordPerfectServer()
{
    mPool->shutDown();
    // Kill first: a call stuck in an office then returns at once.
    for (int i = 0; i < mPool->size(); ++i)
        mPool->office(i).engine->session().killFromAnyThread();
    for (int i = 0; i < mPool->size(); ++i) {
        const OfficePool::Office& office = mPool->office(i);
        EngineCall::RunQuietlyOn(*office.thread, [engine = office.engine] { engine->abandon(); },
                                 std::chrono::seconds(5));
    }
    mPool->release(mPrepared);
    mPool->release(mReopened);
}

std::chrono::milliseconds WordPerfectServer::limitFor(qint64 bytes) const
{
    return mBaseLimit + mPerMegabyteLimit * bytes / (1024 * 1024) + mGrace;
}

void WordPerfectServer::runOnEveryOffice(const std::function<void(OfficeEngine&)>& task)
{
    for (int i = 0; i < mPool->size(); ++i) {
        const OfficePool::Office& office = mPool->office(i);
        EngineCall::RunOn(*office.thread, [engine = office.engine, task] { task(*engine); });
    }
}

void WordPerfectServer::run(std::function<void()> task, qint64 bytes)
{
    if (mUnresponsive)
        throw RuntimeError(RuntimeError::AutomationError,
                           QStringLiteral("The office engine stopped responding earlier in this session"), kSource);
    // The watchdog ends a stuck office well before this; the limit only
    // guards the program against an engine that no longer answers at all.
    try {
        EngineCall::Run(std::move(task), limitFor(bytes));
    } catch (const RuntimeError& e) {
        if (EngineCall::IsNoResponse(e))
            mUnresponsive = true;
        throw;
    }
}

Value WordPerfectServer::fileOpen(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("FileOpen"), args, 1, 1);
    const QString path = absolute(args[0].toText());
    const Source source = checkSource(path);
    const qint64 size = source.info.st_size;
    mDocumentMode = source.info.st_mode;
    if (WordPerfectHeader::IsPasswordProtected(source.firstBytes))
        throw RuntimeError(RuntimeError::AutomationError,
                           QStringLiteral("Cannot open %1: it is password-protected").arg(path), kSource);
    // What an earlier job left open goes first (office 0 closes its own
    // with the next open, but the next document may not need office 0),
    // within the limit of that document.
    if (mPrepared || mReopened || mDirectOpen)
        releaseDocument();
    mDocumentBytes = 0;
    bool plainly = false;
    if (!mUnresponsive) {
        if (auto prepared = mPool->take(path, FileIdentity(source.info), limitFor(size), &plainly)) {
            ++mServedAhead;
            if (prepared->refusal) {
                const RuntimeError refusal = *prepared->refusal;
                mPool->release(prepared);
                throw refusal;
            }
            mPrepared = std::move(prepared);
            mDocumentBytes = size;
            return Value();
        }
    }
    mPool->hold(true);
    mDirectOpen = true;
    try {
        run([engine = mEngine, path, size, plainly] { engine->open(path, size, QString(), plainly); }, size);
    } catch (const RuntimeError&) {
        mDirectOpen = false;
        mPool->hold(false);
        throw;
    }
    mDocumentBytes = size;
    return Value();
}

void WordPerfectServer::releaseDocument()
{
    if (mDirectOpen) {
        mDirectOpen = false;
        try {
            run([engine = mEngine] { engine->close(); }, mDocumentBytes);
        } catch (const RuntimeError&) {
            mPool->hold(false);
            mPool->release(mReopened);
            mReopened.reset();
            throw;
        }
        mPool->hold(false);
    }
    mPool->release(mPrepared);
    mPrepared.reset();
    mPool->release(mReopened);
    mReopened.reset();
}

Value WordPerfectServer::envDocBlank(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("envDocBlank"), args, 0, 0);
    if (mPrepared)
        return Value(mPrepared->blank);
    const auto blank = std::make_shared<bool>(false);
    run([engine = mEngine, blank] { *blank = engine->isBlank(); }, mDocumentBytes);
    return Value(*blank);
}

Value WordPerfectServer::posDocVeryTop(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("PosDocVeryTop"), args, 0, 0);
    if (mPrepared)
        return Value(); // loaded without a view, it has no insertion point
    run([engine = mEngine] { engine->moveToTop(); }, mDocumentBytes);
    return Value();
}

Value WordPerfectServer::macroFilePlay(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("MacroFilePlay"), args, 1, 1);
    const MacroFile macro = MacroFile::Load(absolute(args[0].toText()));
    if (mPrepared) {
        if (macro.commands().isEmpty())
            return Value(); // nothing to play
        // Commands change the document: the work ahead, which could not be
        // used for this macro, stops.
        mPool->stopWorkingAhead();
        openPreparedDirectly();
    }
    run([engine = mEngine, macro] { engine->play(macro); }, mDocumentBytes);
    return Value();
}

void WordPerfectServer::openPreparedDirectly()
{
    // Office 0 opens the copy the work ahead read (the file as FileOpen
    // found it).
    std::shared_ptr<PreparedDocument> prepared = std::move(mPrepared);
    mPool->hold(true);
    mDirectOpen = true;
    try {
        run([engine = mEngine, copy = prepared->copy, path = prepared->path, size = mDocumentBytes] {
            engine->open(copy, size, path);
        }, mDocumentBytes);
    } catch (const RuntimeError&) {
        mDirectOpen = false;
        mPool->hold(false);
        mPool->release(prepared);
        throw;
    }
    mReopened = std::move(prepared);
}

Value WordPerfectServer::envMacroPlaying(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("envMacroPlaying"), args, 0, 0);
    return Value(false);
}

Value WordPerfectServer::fileSave(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("FileSave"), args, 1, 2);
    const QString path = absolute(args[0].toText());
    const SaveFormat* format = nullptr;
    if (args.size() == 2) {
        format = SaveFormat::ForCode(args[1].toInteger());
        if (!format)
            throw RuntimeError(RuntimeError::InvalidProcedureCall,
                               QStringLiteral("Cannot save %1: format %2 is not supported (the formats are %3)")
                                   .arg(path, args[1].toText(), SaveFormat::KnownCodes()),
                               kSource);
    }
    WordFile::CheckFolder(path);
    // The work ahead wrote the format its batch announced; another is
    // written by office 0 from the same copy.
    if (mPrepared && format && mPrepared->format != format)
        openPreparedDirectly();
    if (mPrepared) {
        // A Word save meets the checks the direct save makes, with the same
        // failures.
        if (format) {
            WordFile::CheckTarget(path);
            WordFile::Publish(mPrepared->word, path, platform::RunFolder::Instance(), mDocumentMode);
        } else {
            PlainTextCopy::Write(path, mPrepared->textCopy);
        }
        return Value();
    }
    if (format)
        run([engine = mEngine, path, format, mode = mDocumentMode] { engine->saveWord(path, *format, mode); },
            mDocumentBytes);
    else
        run([engine = mEngine, path] { engine->saveCopy(path); }, mDocumentBytes);
    return Value();
}

Value WordPerfectServer::closeNoSave(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("CloseNoSave"), args, 0, 0);
    if (mPrepared || mReopened || mDirectOpen)
        releaseDocument();
    else
        run([engine = mEngine] { engine->close(); }, mDocumentBytes);
    return Value();
}

Value WordPerfectServer::announceDocuments(const QList<Value>& args)
{
    // A leading number is the format the batch saves in (Word 97 without).
    const SaveFormat* format = SaveFormat::ForCode(SaveFormat::kWord97);
    QStringList paths;
    paths.reserve(args.size());
    for (const Value& arg : args) {
        if (arg.type() == Value::Type::Integer && paths.isEmpty()) {
            format = SaveFormat::ForCode(arg.toInteger());
            if (!format)
                throw RuntimeError(RuntimeError::InvalidProcedureCall,
                                   QStringLiteral("Format %1 is not supported (the formats are %2)")
                                       .arg(arg.toText(), SaveFormat::KnownCodes()),
                                   kSource);
            continue;
        }
        const QString path = arg.toText();
        if (!path.isEmpty())
            paths.append(platform::AbsolutePath(path));
    }
    mPool->announce(paths, *format);
    return Value();
}

Value WordPerfectServer::beginRun(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("BeginRun"), args, 0, 0);
    WordFile::BeginRun();
    return Value();
}

Value WordPerfectServer::waitForStart(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("WaitForStart"), args, 0, 0);
    // Office 0 serves every document the others cannot: the others may go
    // on starting.
    EngineCall::Run([engine = mEngine] { engine->start(); });
    return Value();
}

Value WordPerfectServer::expectDocuments(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("ExpectDocuments"), args, 1, 1);
    mPool->expect(static_cast<int>(std::clamp<qint64>(args[0].toInteger(), 0, 1 << 30)));
    return Value();
}

Value WordPerfectServer::envConversionNotes(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("envConversionNotes"), args, 0, 0);
    if (mPrepared)
        return Value(mPrepared->notes);
    const auto notes = std::make_shared<QString>();
    run([engine = mEngine, notes] { *notes = engine->notes(); }, mDocumentBytes);
    return Value(*notes);
}

} // namespace engine
