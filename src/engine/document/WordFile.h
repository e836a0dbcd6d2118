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
// the disk, then renamed over the target: the target is either the old file
// or the whole new one, never half a file.
class WordFile final {
public:
    WordFile() = delete;

    // Raises the RuntimeError a save to `target` meets before anything is
    // written: its folder is missing or not writable, or a folder has its name.
    static void CheckTarget(const QString& target);
    // The first of these: raises the RuntimeError of a missing folder.
    static void CheckFolder(const QString& target);

    // Writes a copy of `finished`, a complete Word document in the engine's
    // private folder, to `target` as above, with the read and write bits of
    // `permissions` (the document's mode). Raises a RuntimeError naming the
    // target when it cannot.
    static void Publish(const QString& finished, const QString& target, platform::RunFolder& journal,
                        mode_t permissions = 0666);
};

} // namespace engine
