// SPDX-License-Identifier: MPL-2.0
#pragma once

namespace engine {

// Keeps the office off the network whatever a document makes it try: a
// seccomp filter lets the process open local sockets only (AF_UNIX, for its
// UNO pipes, and AF_NETLINK, which the C library asks about interfaces
// through); any other socket() or socketpair() fails with EACCES. Nor can
// it open a socket in other ways: io_uring (which creates and connects
// sockets without a call the filter sees) is missing (ENOSYS), and taking a
// socket from another process (pidfd_getfd) or writing into one that is not
// under the filter (ptrace, process_vm_writev) fails with EACCES. The
// office's settings already stop the fetches of linked resources that the
// engine knows of; this stops the ones nobody knows of yet.
class NetworkBlock final {
public:
    NetworkBlock() = delete;

    // Installs the filter in the calling process, for the office's child
    // between fork and exec: only async-signal-safe calls on a filter built
    // at compile time. The filter stays across exec and passes to every
    // process the office starts. Returns false where the kernel or the
    // processor architecture offers no such filter.
    static bool ApplyToThisProcess() noexcept;
};

} // namespace engine
