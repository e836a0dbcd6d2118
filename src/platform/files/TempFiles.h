// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// The system temporary folder with its trailing separator ($TMPDIR when set
// and usable, else /tmp/).
QString SystemTempPath();

// Creates a new, empty file in `folder` (which ends with a separator) and
// returns its full path. The name is at most the first three characters of
// `prefix`, an upper-case hexadecimal number and ".TMP". The file is created
// exclusively and open to the user alone (0600), so two calls never return
// the same path, not even from two processes at once. Raises a RuntimeError
// when no file can be created.
QString CreateTempFile(const QString& folder, const QString& prefix);

// What the program keeps for itself is closed to everybody else whatever the
// umask: its folders are 0700, its files 0600 (the umask could only take
// permissions away, so the modes are set explicitly after creation).
//
// Creates the folder (its parent must exist), or accepts it when it exists
// already as a folder of this user that is not a link, and sets its mode to
// 0700. Raises a RuntimeError otherwise.
void MakePrivateFolder(const QString& path);
// 128 random bits from the system's source as 32 hexadecimal digits: a part
// of a name that nobody can guess.
QString UnguessableText();

// Whether `path` is a folder only this user can use: this user's, closed to
// others, not a link.
bool IsPrivateFolder(const QString& path);
// A private folder by the name `shared`, which lies in a folder every
// account may write to (/tmp): that folder when this user has it or can make
// it, else a new one named `shared-XXXXXX` (another account, or a link,
// holds the name). Raises a RuntimeError when neither can be made.
QString MakeFolderUnderSharedName(const QString& shared);
// The folders MakeFolderUnderSharedName may have made for `shared` that are
// private folders of this user.
QStringList FoldersUnderSharedName(const QString& shared);
// Removes `path` when it is a file of `type` (S_IFREG, S_IFSOCK) that
// belongs to this user; a link is not followed. A clean-up removes with it
// only what it made. Returns whether it removed the file.
bool RemoveOwnFile(const QString& path, unsigned type);
// Creates or replaces the file with these bytes, mode 0600. Raises a
// RuntimeError when it cannot be written.
void WritePrivateFile(const QString& path, const QByteArray& bytes);
// Opens (creating it when missing) a file with `flags` (O_RDWR, O_EXCL...;
// O_CREAT and O_CLOEXEC are added) and sets its mode to 0600. Returns the
// descriptor, or -1 with errno set.
int OpenPrivateFile(const QString& path, int flags);

// Writes all of `bytes` to the descriptor, going on after interruptions and
// short writes. Returns 0, or the errno of the failure.
int WriteAll(int fd, const QByteArray& bytes);
// Copies `size` bytes from the file `in` (from its current offset) to `out`.
// Returns 0, or the errno of the failure.
int CopyAll(int in, int out, qint64 size);

} // namespace platform
