// SPDX-License-Identifier: MPL-2.0
#include "support/TestFiles.h"

#include "platform/files/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

QString WriteFile(const QString& path, const QByteArray& content, mode_t mode)
{
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray name = platform::EncodeFileName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)
        || file.write(content) != content.size() || ::fchmod(fd, mode) != 0)
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

QByteArray ReadFile(const QString& path)
{
    const int fd = ::open(platform::EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    return file.readAll();
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

mode_t ModeOf(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

BatchFolders::BatchFolders(const QString& root, const QStringList& documents, const QString& sourceName,
                           const QString& targetName)
    : source(root + QLatin1Char('/') + sourceName), target(root + QLatin1Char('/') + targetName)
{
    QDir().mkpath(source);
    QDir().mkpath(target);
    for (const QString& name : documents)
        WriteFile(doc(name));
}

QStringList BatchFolders::rows(const QStringList& namesAndStatuses) const
{
    QStringList rows;
    for (const QString& row : namesAndStatuses)
        rows << doc(row);
    return rows;
}

} // namespace testsupport
