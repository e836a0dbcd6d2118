// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/reader/PictureReaderSandbox.h"

#include <cerrno>
#include <cstddef>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <vector>

namespace engine {

namespace {

#if defined(__x86_64__)
constexpr unsigned kArchitecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kArchitecture = AUDIT_ARCH_AARCH64;
#else
constexpr unsigned kArchitecture = 0;
#endif

// What the reader needs once it holds the document's bytes: its pipes, its
// memory (the C library's allocator, the C++ runtime), time and sleep (the
// test that makes it hang), random bytes (Qt seeds its hashes), and its end.
const long kAllowed[] = {
    SYS_read, SYS_write, SYS_writev, SYS_close, SYS_lseek, SYS_fstat, SYS_newfstatat,
    SYS_mmap, SYS_munmap, SYS_mremap, SYS_mprotect, SYS_madvise, SYS_brk,
    SYS_futex, SYS_getrandom, SYS_clock_gettime, SYS_gettimeofday, SYS_nanosleep, SYS_clock_nanosleep,
    SYS_rt_sigaction, SYS_rt_sigprocmask, SYS_rt_sigreturn, SYS_getpid, SYS_gettid, SYS_tgkill,
    SYS_sched_yield, SYS_sysinfo, SYS_exit, SYS_exit_group,
};

} // namespace

bool PictureReaderSandbox::Enter()
{
    if (kArchitecture == 0)
        return false;
    const unsigned refuse = SECCOMP_RET_ERRNO | (EACCES & SECCOMP_RET_DATA);
    std::vector<sock_filter> filter = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
    };
    // One test a call, each jumping to the "allow" at the end when it holds
    // (x32 calls carry a high bit and match none).
    const auto count = std::size(kAllowed);
    for (std::size_t i = 0; i < count; ++i)
        filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, unsigned(kAllowed[i]), static_cast<unsigned char>(count - i), 0));
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, refuse));
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    sock_fprog program{};
    program.len = static_cast<unsigned short>(filter.size());
    program.filter = filter.data();
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return false;
    return ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) == 0;
}

} // namespace engine
