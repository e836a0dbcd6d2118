// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/types.h>

namespace testsupport {

// Writes `content` to `path` by the name's own bytes (so names that are not
// UTF-8 keep them), making its folder first; the file gets exactly `mode`,
// whatever the umask. Returns `path`.
QString WriteFile(const QString& path, const QByteArray& content = "x", mode_t mode = 0600);
// The content of `path` (empty when it cannot be read).
QByteArray ReadFile(const QString& path);
// The names of the files in `folder`, by name.
QStringList FilesIn(const QString& folder);
// The file's type and permission bits as lstat gives them (0 when it cannot).
mode_t ModeOf(const QString& path);

// The two folders of a batch under `root`: `source` with a small file for
// each of `documents` (a name may hold folders), and an empty `target`.
struct BatchFolders {
    explicit BatchFolders(const QString& root, const QStringList& documents = {QStringLiteral("a.wpd")},
                          const QString& sourceName = QStringLiteral("src"),
                          const QString& targetName = QStringLiteral("tgt"));

    // The path of the document `name`.
    QString doc(const QString& name) const { return source + QLatin1Char('/') + name; }
    // The document list's rows as AppHarness::rows() gives them, from
    // "name|status" texts.
    QStringList rows(const QStringList& namesAndStatuses) const;

    QString source;
    QString target;
};

} // namespace testsupport
