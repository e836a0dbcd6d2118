#pragma once

#include <QString>

namespace platform {

// The system temporary folder with its trailing separator ($TMPDIR when set
// and usable, else /tmp/).
QString SystemTempPath();

// Creates a new, empty file in `folder` (which ends with a separator) and
// returns its full path. The name is at most the first three characters of
// `prefix`, an upper-case hexadecimal number and ".TMP". The file is created
// exclusively, so two calls never return the same path, not even from two
// processes at once. Raises a RuntimeError when no file can be created.
QString CreateTempFile(const QString& folder, const QString& prefix);

} // namespace platform
