// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QStringList>

namespace platform {
class FileListBox;
}

// The documents of a folder that the extension list accepts, as batch mode
// and the batch dialog find them: the folder is listed through the file list
// (its own order), and each file's extension is judged by a fresh extension
// chain. A file that cannot be examined is skipped; a folder that cannot be
// listed (or no folder) holds nothing.
class FolderListing final {
public:
    FolderListing() = delete;

    // Full paths of the accepted documents, in the file list's order.
    static QStringList AcceptedDocuments(platform::FileListBox& files, const QString& folder);
    // Whether a fresh extension chain accepts `path`'s extension.
    static bool Accepts(const QString& path);
};
