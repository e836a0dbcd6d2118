// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QList>
#include <utility>

namespace enginetest {

// Builds a zip archive whose entries are stored uncompressed: enough for the
// OpenDocument and Office Open XML packages the tests make on the fly.
class StoredZip final {
public:
    void add(const QByteArray& name, const QByteArray& data) { mEntries.append({name, data}); }
    QByteArray bytes() const;

private:
    QList<std::pair<QByteArray, QByteArray>> mEntries;
};

} // namespace enginetest
