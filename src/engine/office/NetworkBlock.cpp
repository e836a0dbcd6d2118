// SPDX-License-Identifier: MPL-2.0
#include "engine/office/NetworkBlock.h"

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

// A jump skips as many statements as its offset says: the numbers in the
// comments are the statements' places, for checking the offsets.
const sock_filter kFilter[] = {
    // Calls made through another architecture's interface (a 32-bit one,
    // with its socketcall multiplexer) are refused outright: they would name
    // socket() differently.
    /* 0 */ BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
    /* 1 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
    /* 2 */ BPF_STMT(BPF_RET | BPF_K, kUnknown),
    /* 3 */ BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
    /* 4 */ BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, kForeignCalls, 0, 1),
    /* 5 */ BPF_STMT(BPF_RET | BPF_K, kUnknown),
    /* 6 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_socket, 13, 0),    // to 20
    /* 7 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_socketpair, 9, 0), // to 17
    // io_uring opens and connects sockets (IORING_OP_SOCKET) without a call
    // the filter sees: to the office, the kernel has no io_uring.
    /* 8 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_io_uring_setup, 6, 0),    // to 15
    /* 9 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_io_uring_enter, 5, 0),    // to 15
    /* 10 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_io_uring_register, 4, 0), // to 15
    // Taking a socket from another process, or making a process outside the
    // filter (the program) open one for the office.
    /* 11 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_pidfd_getfd, 4, 0),       // to 16
    /* 12 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_ptrace, 3, 0),            // to 16
    /* 13 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_process_vm_writev, 2, 0), // to 16
    /* 14 */ BPF_STMT(BPF_RET | BPF_K, kAllow),
    /* 15 */ BPF_STMT(BPF_RET | BPF_K, kUnknown),
    /* 16 */ BPF_STMT(BPF_RET | BPF_K, kRefuse),
    // socketpair(domain, ...): local pairs only.
    /* 17 */ BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFirstArgument),
    /* 18 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_UNIX, 4, 0), // to 23
    /* 19 */ BPF_STMT(BPF_RET | BPF_K, kRefuse),
    // socket(domain, ...): local domains only.
    /* 20 */ BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFirstArgument),
    /* 21 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_UNIX, 1, 0),    // to 23
    /* 22 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_NETLINK, 0, 1), // to 23 or 24
    /* 23 */ BPF_STMT(BPF_RET | BPF_K, kAllow),
    /* 24 */ BPF_STMT(BPF_RET | BPF_K, kRefuse),
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
