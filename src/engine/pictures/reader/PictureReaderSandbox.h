// SPDX-License-Identifier: MPL-2.0
#pragma once

namespace engine {

// Shuts the picture reader in before it parses anything of the document: a
// seccomp filter lets it make only the system calls that reading its
// standard input, writing its standard output, managing its memory,
// sleeping and ending need; every other call (opening a file, creating a
// socket, starting a process or thread, changing its limits) fails with
// EACCES. A process that libwpd or libwpg were made to run foreign code in
// can then only write into the pipe the engine reads, which checks what it
// reads. The filter's last step refuses calls through another architecture's
// interface (32-bit, x32).
class PictureReaderSandbox final {
public:
    PictureReaderSandbox() = delete;

    // False where the kernel or the processor architecture offers no such
    // filter (the reader then still has its memory and time limits, no
    // network, and only the document open).
    static bool Enter();
};

} // namespace engine
