// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Lists the files of one folder: regular files and links to regular files,
// no folders, FIFOs, sockets, devices, broken links or hidden files (names
// starting with "."), in ascending order of name with letter case ignored
// (names that differ only in case in a fixed case-sensitive order; no locale
// collation). Nothing is opened: a FIFO is never read.
class FileListBox final {
public:
    // Lists `folder`. Empty text lists nothing. A folder that does not exist
    // or cannot be read raises PathNotFound (76) and leaves the list empty.
    void setPath(const QString& folder);
    // The folder listed, with a trailing separator only for the root "/".
    QString path() const { return mPath; }
    int listCount() const { return static_cast<int>(mNames.size()); }
    int listIndex() const { return mIndex; }
    // Selects entry i (from 0); -1 selects nothing. Out of range raises.
    void setListIndex(int i);
    // The selected entry's name, without folder; empty when none.
    QString fileName() const;

    const QStringList& names() const { return mNames; }
    // The folder's own subfolders, in the same order: real folders only (no
    // links to folders, no hidden ones).
    const QStringList& folders() const { return mFolders; }

    // The ordering used: case-insensitive, then case-sensitive.
    static bool lessThan(const QString& a, const QString& b);

private:
    QString mPath;
    QStringList mNames;
    QStringList mFolders;
    int mIndex = -1;
};

} // namespace platform
