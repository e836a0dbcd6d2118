#pragma once

#include <QString>
#include <QStringList>

namespace engine {

// The local sockets an office creates in /tmp and leaves behind when it is
// killed: the pipe it accepts UNO connections on, and the pipe through which
// a second start of the same profile would reach the first.
class OfficePipes final {
public:
    OfficePipes() = delete;

    // The socket files of one office: its accept pipe and the single-instance
    // pipe of its profile (named after the MD5 of the profile URL's UTF-16).
    static QStringList FilesOf(const QString& acceptPipeName, const QString& profileFolder);
    static void Remove(const QString& acceptPipeName, const QString& profileFolder);

    // The prefix of the accept pipe names of every office of a run.
    static QString PrefixForRun(const QString& runId);
    // Removes the socket files of every office of a run: its accept pipes
    // and the single-instance pipes of the profiles under `runFolder`.
    static void RemoveForRun(const QString& runFolder, const QString& runId);

    // The profile URL handed to the office for `profileFolder`.
    static QString ProfileUrl(const QString& profileFolder);
};

} // namespace engine
