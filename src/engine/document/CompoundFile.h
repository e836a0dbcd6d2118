// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace engine {

// Reads the streams of a compound file (the container of Word 97
// documents): a file system of its own, made of sectors chained through an
// allocation table, with a directory of named streams. Only what reading a
// stream by name needs is implemented; every offset and chain is checked,
// so a damaged file gives no stream rather than a crash or a loop.
class CompoundFile final {
public:
    // Takes the whole file; false when it is not a compound file or its
    // header and tables cannot be read.
    bool open(const QByteArray& file);
    // The stream of that name anywhere in the directory; none when there
    // is no such stream or its chain is damaged.
    std::optional<QByteArray> stream(const QString& name) const;

private:
    std::optional<QByteArray> chain(quint32 start, quint64 size, bool mini) const;
    QByteArray sector(quint32 index) const;
    quint32 next(quint32 index, bool mini) const;

    QByteArray mFile;
    int mSectorSize = 512;
    quint32 mMiniCutoff = 4096;
    QByteArray mFat;     // quint32 per sector
    QByteArray mMiniFat; // quint32 per mini sector
    QByteArray mMiniStream;
    QByteArray mDirectory;
};

} // namespace engine
