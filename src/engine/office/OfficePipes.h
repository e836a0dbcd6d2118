// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <QStringList>
#include <sys/types.h>

namespace engine {

// The local sockets an office creates in /tmp and leaves behind when it is
// killed: the pipe it accepts UNO connections on, and the pipe through which
// a second start of the same profile would reach the first. Every account
// may create files in /tmp: whoever made a socket under an office's name
// first would have the program's connection (and the office would find its
// name taken). So nobody can know the names beforehand: the accept pipe's
// name holds 128 random bits and is given to the office in its private
// profile, and the other's is made from the profile's address, which only
// the office's environment holds (a command line is there for every account
// to read). And the program connects only to a socket of its own account
// at whose other end its own office listens.
class OfficePipes final {
public:
    OfficePipes() = delete;

    // A new name for an office's accept pipe.
    static QString NewName();
    // The socket files of one office: its accept pipe and the single-instance
    // pipe of its profile (named after the MD5 of the profile URL's UTF-16).
    static QStringList FilesOf(const QString& acceptPipeName, const QString& profileFolder);
    // Removes them (only sockets of this account's).
    static void Remove(const QString& acceptPipeName, const QString& profileFolder);

    // Who listens on the accept pipe `name`.
    enum class Listener {
        Nobody,  // nobody yet
        Office,  // the office `office`: the socket is this account's, and
                 // the process at its other end is that office (SO_PEERCRED)
        Stranger // anybody else: the name is taken
    };
    static Listener Check(const QString& name, pid_t office);

    // The profile URL handed to the office for `profileFolder`.
    static QString ProfileUrl(const QString& profileFolder);
};

} // namespace engine
