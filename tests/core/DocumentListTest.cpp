// SPDX-License-Identifier: MPL-2.0
// The document list: keyed rows kept in descending order, statuses as
// sub-items, failure reasons, the counts a batch's progress reads, and what
// item views (and through them assistive technology) are told.
#include "core/DocumentList.h"
#include "support/ErrorNumber.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>

TEST(DocumentList, KeepsRowsInDescendingOrderWithUniqueKeys)
{
    DocumentList list;
    list.Add("C:\\a.wpd", "C:\\a.wpd");
    list.Add("C:\\b.wpd", "C:\\b.wpd");
    EXPECT_EQ(list.CellText(0, 0), "C:\\b.wpd");
    EXPECT_EQ(testsupport::ErrorNumber([&] { list.Add("C:\\a.wpd", "again"); }), 35602);
    EXPECT_EQ(list.Count(), 2);

    auto row = list.Find("C:\\a.wpd");
    list.InsertSubItem(row, 1, "Converting...");
    list.InsertSubItem(row, 1, "Converted");
    EXPECT_EQ(list.CellText(1, 1), "Converted");
    EXPECT_EQ(row->SubItems, (QStringList{"Converted", "Converting..."}));
    EXPECT_EQ(list.RowOf("C:\\a.wpd"), 1);
    EXPECT_EQ(list.RowOf("C:\\c.wpd"), -1);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.InsertSubItem(row, 1, "Failed"); // a row no longer listed is harmless
    EXPECT_EQ(list.Find("C:\\a.wpd"), nullptr);
    EXPECT_EQ(list.FailedCount(), 0);
}

TEST(DocumentList, ManyRowsInAnyOrderComeOutSortedAndAreFoundWhereShown)
{
    // Enough rows to split blocks many times, in ascending, descending and
    // random order, with names that differ only in letter case.
    for (int order = 0; order < 3; ++order) {
        DocumentList list;
        QStringList names;
        for (int i = 0; i < 5000; ++i)
            names << QStringLiteral("/docs/%1doc%2.wpd").arg(i % 2 ? "D" : "d").arg(i, 5, 10, QLatin1Char('0'));
        if (order == 1)
            std::reverse(names.begin(), names.end());
        if (order == 2)
            std::shuffle(names.begin(), names.end(), *QRandomGenerator::global());
        for (const QString& n : names)
            list.Add(n, n);
        QStringList expected = names;
        std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
            const int c = a.compare(b, Qt::CaseInsensitive);
            return c != 0 ? c > 0 : a.compare(b) > 0;
        });
        QStringList shown;
        for (int i = 0; i < list.Count(); ++i)
            shown << list.CellText(i, 0);
        EXPECT_EQ(shown, expected) << "order " << order;
        for (int i = 0; i < expected.size(); i += 97)
            EXPECT_EQ(list.RowOf(expected[i]), i) << qPrintable(expected[i]);
    }
}

TEST(DocumentList, CountsFollowTheStatusEachRowShows)
{
    DocumentList list;
    const auto a = list.Add("/a", "/a"), b = list.Add("/b", "/b"), c = list.Add("/c", "/c");
    for (const auto& row : {a, b, c})
        list.InsertSubItem(row, 1, "Converting...");
    EXPECT_EQ(list.ConvertedCount() + list.FailedCount(), 0);
    list.InsertSubItem(a, 1, "Converted");
    list.InsertSubItem(b, 1, "Failed");
    list.SetReason(b, "Cannot open /b: it is password-protected");
    EXPECT_EQ(list.ConvertedCount(), 1);
    EXPECT_EQ(list.FailedCount(), 1);
    // A sub-item written behind the status does not change what the row shows.
    list.InsertSubItem(c, 2, "Converted");
    EXPECT_EQ(list.ConvertedCount(), 1);
    list.Clear();
    EXPECT_EQ(list.ConvertedCount() + list.FailedCount(), 0);
}

TEST(DocumentList, ViewsAreToldOfChangesAtMostOnceAFrame)
{
    DocumentList list;
    QSignalSpy resets(&list, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&list, &QAbstractItemModel::dataChanged);

    // Many rows added at once reach the views as one reset, a frame later.
    for (int i = 0; i < 100; ++i)
        list.Add(QStringLiteral("/d%1").arg(i), QStringLiteral("/d%1").arg(i));
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.Count(), 100);
    ASSERT_TRUE(resets.wait(1000));
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(list.rowCount(), 100);

    // Statuses written while no new row waits: their cells, a frame later.
    list.InsertSubItem(list.Find("/d5"), 1, "Converting...");
    list.InsertSubItem(list.Find("/d5"), 1, "Converted");
    list.SetReason(list.Find("/d7"), "Cannot open /d7: it is password-protected");
    EXPECT_EQ(changes.count(), 0);
    ASSERT_TRUE(changes.wait(1000));
    QList<int> changedRows;
    for (const auto& signal : changes)
        changedRows << signal.at(0).value<QModelIndex>().row();
    EXPECT_TRUE(changedRows.contains(list.RowOf("/d5")));
    EXPECT_TRUE(changedRows.contains(list.RowOf("/d7")));
    EXPECT_EQ(list.data(list.index(list.RowOf("/d5"), 1)).toString(), "Converted");
    EXPECT_EQ(resets.count(), 1);

    // Publish tells at once; Clear empties the views at once.
    list.Add("/zz", "/zz");
    list.Publish();
    EXPECT_EQ(list.rowCount(), 101);
    list.Clear();
    EXPECT_EQ(list.rowCount(), 0);
}

TEST(DocumentList, ShowsTwoColumnsWithHeadersAndAFailedRowsReason)
{
    DocumentList list;
    const auto ok = list.Add("/in/a.wpd", "/in/a.wpd");
    const auto bad = list.Add("/in/b.wpd", "/in/b.wpd");
    list.InsertSubItem(ok, 1, "Converted");
    list.InsertSubItem(bad, 1, "Failed");
    list.SetReason(bad, "Cannot open /in/b.wpd: it is not a WordPerfect document");
    list.Publish();

    EXPECT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.headerData(0, Qt::Horizontal).toString(), "File Name:");
    EXPECT_EQ(list.headerData(1, Qt::Horizontal).toString(), "Status:");
    const QModelIndex failed = list.index(0, 1), converted = list.index(1, 1);
    EXPECT_EQ(list.data(list.index(0, 0)).toString(), "/in/b.wpd");
    EXPECT_EQ(list.data(failed).toString(), "Failed");
    // The reason is the tip; the status cell's description begins with what
    // its mark means.
    EXPECT_EQ(list.data(failed, Qt::ToolTipRole).toString(), "Cannot open /in/b.wpd: it is not a WordPerfect document");
    EXPECT_EQ(list.data(list.index(0, 0), Qt::AccessibleDescriptionRole).toString(),
              "Cannot open /in/b.wpd: it is not a WordPerfect document");
    EXPECT_EQ(list.data(failed, Qt::AccessibleDescriptionRole).toString(),
              "Error: Cannot open /in/b.wpd: it is not a WordPerfect document");
    for (int role : {int(Qt::ToolTipRole), int(Qt::AccessibleDescriptionRole)})
        EXPECT_FALSE(list.data(converted, role).isValid());
    EXPECT_FALSE(list.data(list.index(5, 0)).isValid());
}
