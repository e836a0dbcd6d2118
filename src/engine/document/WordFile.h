// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <sys/types.h>

namespace platform {
class RunFolder;
}

namespace engine {

// How a Word document reaches its target: the engine writes it under a
// temporary name in the target's folder (noted in the run's journal, so that
// a killed run's next start removes it), made like any new file of the
// user's with the document's read and write permissions (less the umask, as
// `cp` makes a copy: a Word file is no more readable than its document), on
// the disk, then puts it in the target's place in one step: the target is
// either the old file or the whole new one, never half a file.
//
// A run never replaces a file that appeared after it began, whoever wrote
// it (another process converting into the same folder): where no file is,
// the new one takes the name only if it is still free (an exclusive rename,
// or a link where the file system has none), and a file that is there is
// replaced only when it is older than the run. The document then fails, and
// the file stays as its writer left it.
class WordFile final {
public:
    WordFile() = delete;

    // Raises the RuntimeError a save to `target` meets before anything is
    // written: its folder is missing or not writable, or a folder has its name.
    static void CheckTarget(const QString& target);
    // The first of these: raises the RuntimeError of a missing folder.
    static void CheckFolder(const QString& target);

    // A run begins now: files written from now on are not replaced by it.
    // Until the first call, the run began when the program started.
    static void BeginRun();

    // Writes a copy of `finished`, a complete Word document in the engine's
    // private folder, to `target` as above, with the read and write bits of
    // `permissions` (the document's mode). Raises a RuntimeError naming the
    // target when it cannot, or when the target was written after the run
    // began.
    static void Publish(const QString& finished, const QString& target, platform::RunFolder& journal,
                        mode_t permissions = 0666);
};

} // namespace engine
