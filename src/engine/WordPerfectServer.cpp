#include "engine/WordPerfectServer.h"

#include "engine/EngineCall.h"
#include "engine/MacroFile.h"
#include "engine/OfficeEngine.h"
#include "engine/WordPerfectHeader.h"
#include "platform/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
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
    return QFileInfo(path).absoluteFilePath();
}

// Checks, before the office sees it, that `path` is a regular file we may
// read: anything else (a FIFO above all, which would block the load for
// ever) fails at once. Returns the file's size.
qint64 checkSource(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
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
    ::close(fd);
    return info.st_size;
}

void checkTargetFolder(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw RuntimeError(RuntimeError::PathNotFound,
                           QStringLiteral("Cannot save %1: the folder %2 does not exist").arg(path, folder), kSource);
}

} // namespace

WordPerfectServer::WordPerfectServer() : mEngine(std::make_shared<OfficeEngine>())
{
    addMember(QStringLiteral("FileOpen"), [this](const auto& args) { return fileOpen(args); });
    addMember(QStringLiteral("envDocBlank"), [this](const auto& args) { return envDocBlank(args); });
    addMember(QStringLiteral("PosDocVeryTop"), [this](const auto& args) { return posDocVeryTop(args); });
    addMember(QStringLiteral("MacroFilePlay"), [this](const auto& args) { return macroFilePlay(args); });
    addMember(QStringLiteral("envMacroPlaying"), [this](const auto& args) { return envMacroPlaying(args); });
    addMember(QStringLiteral("FileSave"), [this](const auto& args) { return fileSave(args); });
    addMember(QStringLiteral("CloseNoSave"), [this](const auto& args) { return closeNoSave(args); });
    addMember(QStringLiteral("envPicturesLeftOut"), [this](const auto& args) { return envPicturesLeftOut(args); });

    mEngine->session().setMemoryLimit(kDefaultMemoryLimit);
    // The office starts behind the windows; the first call waits for it. A
    // failure here shows up as the failure of that call.
    EngineCall::RunQuietly(
        [engine = mEngine] {
            try {
                engine->start();
            } catch (...) {
            }
        },
        std::chrono::milliseconds(0));
}

WordPerfectServer::~WordPerfectServer()
{
    // Kill first: a call stuck in the office then returns at once.
    mEngine->session().killFromAnyThread();
    EngineCall::RunQuietly([engine = mEngine] { engine->abandon(); }, std::chrono::seconds(5));
}

void WordPerfectServer::setTimeLimits(std::chrono::milliseconds base, std::chrono::milliseconds perMegabyte,
                                      std::chrono::milliseconds grace)
{
    mBaseLimit = base;
    mPerMegabyteLimit = perMegabyte;
    mGrace = grace;
    EngineCall::Run([engine = mEngine, base, perMegabyte] { engine->setLimits({base, perMegabyte}); });
}

void WordPerfectServer::run(std::function<void()> task, qint64 bytes)
{
    if (mUnresponsive)
        throw RuntimeError(RuntimeError::AutomationError,
                           QStringLiteral("The office engine stopped responding earlier in this session"), kSource);
    // The watchdog ends a stuck office well before this; the limit only
    // guards the program against an engine that no longer answers at all.
    const auto limit = mBaseLimit + mPerMegabyteLimit * bytes / (1024 * 1024) + mGrace;
    try {
        EngineCall::Run(std::move(task), limit);
    } catch (const RuntimeError& e) {
        if (EngineCall::IsNoResponse(e))
            mUnresponsive = true;
        throw;
    }
}

void WordPerfectServer::setMemoryLimit(qint64 bytes)
{
    EngineCall::Run([engine = mEngine, bytes] { engine->session().setMemoryLimit(bytes); });
}

void WordPerfectServer::setStartRetryPause(std::chrono::milliseconds pause)
{
    EngineCall::Run([engine = mEngine, pause] { engine->session().setStartRetryPause(pause); });
}

void WordPerfectServer::waitForOffice()
{
    EngineCall::Run([engine = mEngine] { engine->start(); });
}

pid_t WordPerfectServer::officePid()
{
    pid_t pid = 0;
    EngineCall::Run([engine = mEngine, &pid] { pid = engine->session().officePid(); });
    return pid;
}

qint64 WordPerfectServer::officeResidentBytes()
{
    qint64 bytes = 0;
    EngineCall::Run([engine = mEngine, &bytes] { bytes = engine->session().officeResidentBytes(); });
    return bytes;
}

qint64 WordPerfectServer::officePeakResidentBytes()
{
    qint64 bytes = 0;
    EngineCall::Run([engine = mEngine, &bytes] { bytes = engine->session().officePeakResidentBytes(); });
    return bytes;
}

int WordPerfectServer::officeStarts()
{
    int starts = 0;
    EngineCall::Run([engine = mEngine, &starts] { starts = engine->session().startCount(); });
    return starts;
}

Value WordPerfectServer::fileOpen(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("FileOpen"), args, 1, 1);
    const QString path = absolute(args[0].toText());
    const qint64 size = checkSource(path);
    if (WordPerfectHeader::IsPasswordProtected(path))
        throw RuntimeError(RuntimeError::AutomationError,
                           QStringLiteral("Cannot open %1: it is password-protected").arg(path), kSource);
    mDocumentBytes = 0;
    run([engine = mEngine, path, size] { engine->open(path, size); }, size);
    mDocumentBytes = size;
    return Value();
}

Value WordPerfectServer::envDocBlank(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("envDocBlank"), args, 0, 0);
    const auto blank = std::make_shared<bool>(false);
    run([engine = mEngine, blank] { *blank = engine->isBlank(); }, mDocumentBytes);
    return Value(*blank);
}

Value WordPerfectServer::posDocVeryTop(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("PosDocVeryTop"), args, 0, 0);
    run([engine = mEngine] { engine->moveToTop(); }, mDocumentBytes);
    return Value();
}

Value WordPerfectServer::macroFilePlay(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("MacroFilePlay"), args, 1, 1);
    const MacroFile macro = MacroFile::Load(absolute(args[0].toText()));
    run([engine = mEngine, macro] { engine->play(macro); }, mDocumentBytes);
    return Value();
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
    if (args.size() == 2) {
        const qint64 format = args[1].toInteger();
        if (format != kWordFormat)
            throw RuntimeError(RuntimeError::InvalidProcedureCall,
                               QStringLiteral("Cannot save %1: format %2 is not supported (%3 is Word 97)")
                                   .arg(path)
                                   .arg(format)
                                   .arg(kWordFormat),
                               kSource);
    }
    checkTargetFolder(path);
    if (args.size() == 2)
        run([engine = mEngine, path] { engine->saveWord(path); }, mDocumentBytes);
    else
        run([engine = mEngine, path] { engine->saveCopy(path); }, mDocumentBytes);
    return Value();
}

Value WordPerfectServer::closeNoSave(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("CloseNoSave"), args, 0, 0);
    run([engine = mEngine] { engine->close(); }, mDocumentBytes);
    return Value();
}

Value WordPerfectServer::envPicturesLeftOut(const QList<Value>& args)
{
    checkArgCount(QStringLiteral("envPicturesLeftOut"), args, 0, 0);
    const auto count = std::make_shared<int>(0);
    run([engine = mEngine, count] { *count = engine->picturesLeftOut(); }, mDocumentBytes);
    return Value(qint64(*count));
}

} // namespace engine
