// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/PictureReader.h"

#include "engine/office/NetworkBlock.h"
#include "engine/pictures/reader/PictureTransfer.h"
#include "platform/files/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <optional>
#include <vector>

namespace engine {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::atomic<PictureReader::Fault> gFault{PictureReader::Fault::None};
std::atomic<milliseconds::rep> gTimeLimit{0};

constexpr char kExecutable[] = "tallowin-picture-reader";

// The reader beside the program's executable (a build folder), else where
// it is installed relative to it; never anywhere the user's PATH says.
QByteArray executable()
{
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    const QString folder = QFileInfo(platform::DecodeFileName(QByteArray(self, length))).path();
    for (const QString& candidate :
         {folder + QLatin1Char('/') + QLatin1String(kExecutable),
          QDir::cleanPath(folder + QStringLiteral("/" TALLOWIN_LIBEXEC_FROM_BIN "/") + QLatin1String(kExecutable))}) {
        const QByteArray native = platform::EncodeFileName(candidate);
        if (::access(native.constData(), X_OK) == 0)
            return native;
    }
    return {};
}

// The descriptor moved above the standard streams, which the child replaces.
int aboveStandardStreams(int fd)
{
    if (fd < 0 || fd > STDERR_FILENO)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

// Starts the reader on `document`, its answer going to `output`. Between
// fork and exec only async-signal-safe calls.
pid_t start(const QByteArray& program, int document, int output, rlim_t memory)
{
    QList<QByteArray> arguments{program};
    if (gFault == PictureReader::Fault::Hang)
        arguments << "--hang-for-tests";
    if (gFault == PictureReader::Fault::ExhaustMemory)
        arguments << "--exhaust-memory-for-tests";
    std::vector<char*> argv;
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    char* environment[] = {nullptr};
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    // It dies with the thread that reads it, and the program.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(127);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const rlimit addressSpace{memory, memory};
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_AS, &addressSpace);
    ::setrlimit(RLIMIT_CORE, &noCore); // nothing of the document on the disk
    NetworkBlock::ApplyToThisProcess();
    ::dup2(document, STDIN_FILENO);
    ::dup2(output, STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0)
        ::dup2(null, STDERR_FILENO);
    ::syscall(SYS_close_range, 3u, ~0u, 0u);
    ::execve(argv[0], argv.data(), environment);
    ::_exit(127);
}

// Reads the reader's answer as it comes, never past `deadline` (`late`
// tells when it stopped there).
PictureTransfer::Source before(int output, Clock::time_point deadline, bool& late)
{
    return [output, deadline, &late](char* into, qsizetype length) {
        while (length > 0) {
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                late = true;
                return false;
            }
            pollfd ready{output, POLLIN, 0};
            if (::poll(&ready, 1, int(std::min<qint64>(left, 1000))) <= 0)
                continue;
            const ssize_t got = ::read(output, into, size_t(length));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            into += got;
            length -= got;
        }
        return true;
    };
}

// Waits for the reader to end until `deadline`, then kills it; returns its
// wait status, and whether it had to be killed.
int finish(pid_t pid, Clock::time_point deadline, bool& killed)
{
    int status = 0;
    const int process = int(::syscall(SYS_pidfd_open, pid, 0));
    for (;;) {
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR))
            break;
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        if (process >= 0) {
            pollfd wait{process, POLLIN, 0};
            ::poll(&wait, 1, int(std::min<qint64>(left, 1000)));
        } else {
            ::usleep(1000);
        }
    }
    if (process >= 0)
        ::close(process);
    return status;
}

// A reader at work: its process, the end of the pipe its answer comes
// through, and the size of its document.
struct Running {
    pid_t pid = -1;
    int output = -1;
    qint64 documentBytes = 0;
};

// Starts the reader on the document at `path`; nothing when the reader, the
// document (a regular file) or a pipe is not to be had.
std::optional<Running> launch(const QString& path)
{
    const QByteArray program = executable();
    const int document = aboveStandardStreams(
        ::open(platform::EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    int ends[2] = {-1, -1};
    if (program.isEmpty() || document < 0 || ::fstat(document, &info) != 0 || !S_ISREG(info.st_mode)
        || ::pipe2(ends, O_CLOEXEC) != 0) {
        if (document >= 0)
            ::close(document);
        return std::nullopt;
    }
    Running running{-1, aboveStandardStreams(ends[0]), info.st_size};
    const int input = aboveStandardStreams(ends[1]);
    if (running.output >= 0 && input >= 0)
        running.pid = start(program, document, input, rlim_t(PictureReader::MemoryLimit(info.st_size)));
    ::close(document);
    if (input >= 0)
        ::close(input);
    if (running.pid < 0) {
        if (running.output >= 0)
            ::close(running.output);
        return std::nullopt;
    }
    return running;
}

// The frames the reader found, with the pictures it converted; a frame
// whose picture did not come is counted as too large when `missingTooLarge`.
void gather(const PictureTransfer::Received& received, bool missingTooLarge, PictureReader::Result& result)
{
    using Outcome = PictureTransfer::Outcome;
    result.unread = received.unread;
    result.unplaced = received.unplaced;
    for (qsizetype i = 0; i < received.frames.size(); ++i) {
        const auto& picture = received.pictures[received.pictureOf[i]];
        const Outcome outcome = picture ? picture->outcome : (missingTooLarge ? Outcome::TooLarge : Outcome::Unreadable);
        if (outcome == Outcome::Converted) {
            EmbeddedPicture frame = received.frames[i];
            frame.data = picture->data; // shared, not copied
            frame.mimeType = picture->mimeType;
            result.pictures.append(std::move(frame));
        } else {
            ++(outcome == Outcome::TooLarge ? result.tooLarge : result.unread);
        }
    }
}

} // namespace

std::chrono::milliseconds PictureReader::TimeLimit(qint64 documentBytes)
{
    if (gTimeLimit > 0)
        return milliseconds(gTimeLimit.load());
    return milliseconds(20000 + 2000 * documentBytes / (1024 * 1024));
}

qint64 PictureReader::MemoryLimit(qint64 documentBytes)
{
    return (qint64(512) << 20) + 4 * documentBytes;
}

void PictureReader::SetFaultForTests(Fault fault, std::chrono::milliseconds timeLimit)
{
    gFault = fault;
    gTimeLimit = timeLimit.count();
}

PictureReader::Result PictureReader::Read(const QString& path, int declared,
                                          const std::function<void(const QList<qint64>&)>& onFrames)
{
    Result result;
    const auto nothingBack = [&](bool tooLarge) {
        (tooLarge ? result.tooLarge : result.unread) = std::max(declared, 1);
        return result;
    };
    const std::optional<Running> reader = launch(path);
    if (!reader)
        return nothingBack(false);
    const auto deadline = Clock::now() + TimeLimit(reader->documentBytes);

    bool late = false;
    const PictureTransfer::Received received =
        PictureTransfer::Read(before(reader->output, deadline, late), PictureTransfer::Limit(reader->documentBytes),
                              [&](const PictureTransfer::Received& found) {
                                  if (onFrames)
                                      onFrames(found.tooLargeAt);
                              });
    ::close(reader->output);
    using Stop = PictureTransfer::Received::Stop;
    bool killed = false;
    const bool wrong = received.stop == Stop::Malformed || received.stop == Stop::OverLimit;
    const int status = finish(reader->pid, received.stop == Stop::End || wrong ? Clock::now() : deadline, killed);
    // Killed for its time or its answer's size, out of its memory, or killed
    // by the kernel for memory: too large.
    const bool tooLarge = received.stop == Stop::OverLimit || late || (killed && received.stop != Stop::End && !wrong)
                          || (WIFEXITED(status) && WEXITSTATUS(status) == PictureTransfer::kOutOfMemory)
                          || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL && !killed);
    if (!received.framesArrived)
        return nothingBack(tooLarge);
    gather(received, tooLarge && received.stop != Stop::End, result);
    return result;
}

} // namespace engine
