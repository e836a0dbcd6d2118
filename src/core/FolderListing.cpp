// SPDX-License-Identifier: MPL-2.0
#include "core/FolderListing.h"

#include "core/General.h"
#include "fs/clsFileSystem.h"
#include "pipeline/Chain.h"
#include "platform/files/FileListBox.h"
#include "platform/automation/RuntimeError.h"

QStringList FolderListing::AcceptedDocuments(platform::FileListBox& files, const QString& folder)
{
    try {
        files.setPath(folder);
    } catch (const platform::RuntimeError&) {
        return {};
    }
    clsFileSystem fs;
    QStringList accepted;
    const int count = files.listCount();
    for (int i = 0; i < count; ++i) {
        try {
            files.setListIndex(i);
            const QString path = fs.JoinPath(files.path(), files.fileName());
            if (Accepts(path))
                accepted.append(path);
        } catch (const platform::RuntimeError&) {
            // A file that cannot be examined is skipped.
        }
    }
    return accepted;
}

bool FolderListing::Accepts(const QString& path)
{
    QString extension = clsFileSystem().GetFileExtension(path);
    gAccepted = false;
    Chain::BuildExtensionChain()->sendToChain(extension);
    return gAccepted;
}
