// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QStringListModel>

// The extension list: the file extensions whose documents the program
// converts, one entry each, exactly as the user typed it (no dot removed, no
// letter case changed, nothing trimmed, duplicates allowed), in the order
// added. Every program start, and every unload of the extension manager,
// begins with exactly "wpd". The extension chain reads it afresh for every
// file it judges; the extension manager shows and edits it.
class ExtensionList final : public QStringListModel {
    Q_OBJECT

public:
    explicit ExtensionList(QObject* parent = nullptr);

    int ListCount() const { return rowCount(); }
    QString List(int i) const { return stringList().value(i); }
    // Appends `text` as the last entry.
    void AddItem(const QString& text);
    // Removes entry `i`; out of range does nothing.
    void RemoveItem(int i);
    // Back to the list a start begins with: "wpd" alone.
    void Reset();
};
