// SPDX-License-Identifier: MPL-2.0
#include "core/ExtensionList.h"

ExtensionList::ExtensionList(QObject* parent) : QStringListModel(parent)
{
    Reset();
}

void ExtensionList::AddItem(const QString& text)
{
    const int row = rowCount();
    insertRows(row, 1);
    setData(index(row), text);
}

void ExtensionList::RemoveItem(int i)
{
    if (i >= 0 && i < rowCount())
        removeRows(i, 1);
}

void ExtensionList::Reset()
{
    setStringList({QStringLiteral("wpd")});
}
