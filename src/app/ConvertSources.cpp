// SPDX-License-Identifier: MPL-2.0
#include "app/ConvertSources.h"

#include "app/ConvertOptions.h"
#include "core/FolderListing.h"
#include "fs/clsFileSystem.h"
#include "platform/files/FileListBox.h"
#include "platform/files/FileNames.h"
#include "platform/files/Files.h"
#include "platform/automation/RuntimeError.h"

ConvertSources::ConvertSources(const ConvertOptions& options, QString base)
    : mOptions(options), mBase(std::move(base))
{
}

QStringList ConvertSources::ReadPaths(std::FILE* input)
{
    QStringList paths;
    QByteArray line;
    for (int c = std::fgetc(input);; c = std::fgetc(input)) {
        if (c == '\n' || c == EOF) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.trimmed().isEmpty())
                paths.append(platform::DecodeFileName(line));
            line.clear();
            if (c == EOF)
                break;
            continue;
        }
        line.append(static_cast<char>(c));
    }
    return paths;
}

bool ConvertSources::Gather(std::FILE* input)
{
    for (const QString& path : mOptions.paths) {
        if (path != QLatin1String("-")) {
            if (!addPath(path))
                return false;
            continue;
        }
        const QStringList read = ReadPaths(input);
        for (const QString& line : read)
            if (!addPath(line))
                return false;
    }
    return true;
}

bool ConvertSources::addPath(const QString& path)
{
    const QString full = platform::AbsolutePath(path);
    const bool folder = platform::IsFolder(full);
    QString relative;
    if (!mBase.isEmpty()) {
        const qsizetype slash = full.lastIndexOf(QLatin1Char('/'));
        const QString container = slash <= 0 ? QStringLiteral("/") : full.left(slash);
        if (!relativeToBase(folder ? full : container, relative)) {
            mError = QStringLiteral("%1 is not inside the base folder %2").arg(path, mBase);
            return false;
        }
    }
    if (folder)
        addFolder(full, relative);
    else
        add(full, relative);
    return true;
}

bool ConvertSources::relativeToBase(const QString& path, QString& relative)
{
    if (path == mBase) {
        relative.clear();
        return true;
    }
    const QString prefix = mBase.endsWith(QLatin1Char('/')) ? mBase : mBase + QLatin1Char('/');
    if (!path.startsWith(prefix))
        return false;
    relative = path.mid(prefix.size());
    return true;
}

void ConvertSources::addFolder(const QString& top, const QString& topRelative)
{
    // Depth first, without recursion: a folder's documents, then its
    // subfolders in the listing's order.
    struct Pending {
        QString folder;
        QString relative;
    };
    std::vector<Pending> pending{{top, topRelative}};
    platform::FileListBox files;
    clsFileSystem fs;
    while (!pending.empty()) {
        const Pending current = std::move(pending.back());
        pending.pop_back();
        try {
            files.setPath(current.folder);
        } catch (const platform::RuntimeError&) {
            continue; // a folder that cannot be listed holds nothing
        }
        for (const QString& name : files.names()) {
            const QString path = fs.JoinPath(files.path(), name);
            if (FolderListing::Accepts(path))
                add(path, current.relative);
            else
                ++mLeftOut;
        }
        if (!mOptions.recursive)
            continue;
        const QStringList& folders = files.folders();
        for (auto it = folders.crbegin(); it != folders.crend(); ++it)
            pending.push_back({fs.JoinPath(files.path(), *it),
                               current.relative.isEmpty() ? *it : current.relative + QLatin1Char('/') + *it});
    }
}

void ConvertSources::add(const QString& document, const QString& relative)
{
    if (mSeen.contains(document))
        return;
    mSeen.insert(document);
    mDocuments.push_back({document, relative});
}
