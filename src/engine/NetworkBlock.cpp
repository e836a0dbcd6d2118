#include "engine/NetworkBlock.h"

#include <cerrno>
#include <cstddef>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>

namespace engine {

namespace {

#if defined(__x86_64__)
constexpr unsigned kArchitecture = AUDIT_ARCH_X86_64;
// System calls of the x32 interface carry this bit; the office uses none.
constexpr unsigned kForeignCalls = 0x40000000;
#elif defined(__aarch64__)
constexpr unsigned kArchitecture = AUDIT_ARCH_AARCH64;
constexpr unsigned kForeignCalls = 0xFFFFFFFF; // none
#else
constexpr unsigned kArchitecture = 0;
constexpr unsigned kForeignCalls = 0;
#endif

constexpr unsigned kAllow = SECCOMP_RET_ALLOW;
constexpr unsigned kRefuse = SECCOMP_RET_ERRNO | (EACCES & SECCOMP_RET_DATA);
constexpr unsigned kUnknown = SECCOMP_RET_ERRNO | (ENOSYS & SECCOMP_RET_DATA);

// The first argument's low 32 bits (little-endian machines).
constexpr unsigned kFirstArgument = offsetof(seccomp_data, args);

const sock_filter kFilter[] = {
    // Calls made through another architecture's interface (a 32-bit one)
    // are refused outright: they would name socket() differently.
    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
    BPF_STMT(BPF_RET | BPF_K, kUnknown),
    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
    BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, kForeignCalls, 0, 1),
    BPF_STMT(BPF_RET | BPF_K, kUnknown),
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_socket, 1, 0),
    BPF_STMT(BPF_RET | BPF_K, kAllow),
    // socket(domain, ...): local domains only.
    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFirstArgument),
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_UNIX, 2, 0),
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_NETLINK, 1, 0),
    BPF_STMT(BPF_RET | BPF_K, kRefuse),
    BPF_STMT(BPF_RET | BPF_K, kAllow),
};

} // namespace

bool NetworkBlock::ApplyToThisProcess() noexcept
{
    if (kArchitecture == 0)
        return false;
    sock_fprog program{};
    program.len = static_cast<unsigned short>(sizeof kFilter / sizeof kFilter[0]);
    program.filter = const_cast<sock_filter*>(kFilter);
    // Without privileges a filter may only be installed by a process that
    // can gain none (setuid programs then run without theirs).
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return false;
    return ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) == 0;
}

} // namespace engine
