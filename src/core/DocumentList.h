// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

// The texts a document's status shows.
namespace Status {
inline const QString Converting = QStringLiteral("Converting...");
inline const QString Converted = QStringLiteral("Converted");
inline const QString Failed = QStringLiteral("Failed");
} // namespace Status

// One row of the document list: its key, its text (the first column) and its
// sub-items (sub-item 1 fills the second column, the status). A row whose
// document failed also keeps why, in words a user understands.
struct DocumentRow {
    QString Key;
    QString Text;
    QStringList SubItems; // SubItems[0] is sub-item 1
    QString Reason;
};

// The document list: one row per document of the current run, keyed by its
// full path, kept sorted by the first column in descending order (letter
// case ignored, then exact). The conversion jobs and the modes write it; the
// main window shows it through Qt's item views, which also makes it readable
// by assistive technology.
//
// Built for large lists: a row is inserted into its place without re-sorting
// or moving the other rows (rows live in blocks of bounded size). Views are
// told about changes at most once a frame, however many rows changed in
// between: new rows as one reset (a view told of every insertion separately
// lays out the whole list each time), new statuses as changed cells.
//
// Two kinds of position: the list's own (Item, RowOf, CellText), where a new
// row takes its place at once, and the views' (rowCount, index, data, RowAt,
// IndexOf), where it appears with the next reset. Until then a view's row n
// is still the row it showed there, so what it reads for a row (its texts,
// its reason) always belongs to the row it shows.
class DocumentList final : public QAbstractTableModel {
    Q_OBJECT

public:
    // A row that needs a second look is marked in its status cell: a failed
    // one, and a converted one whose Word file leaves something out (its
    // reason says what). The views draw the mark as an icon; its meaning
    // begins the status cell's accessible description ("Warning: ...").
    enum class Mark { None, Incomplete, Failed };
    static constexpr int MarkRole = Qt::UserRole + 1;

    explicit DocumentList(QObject* parent = nullptr);
    ~DocumentList() override;

    // Adds a row in its sorted place. A key already in the list raises
    // (35602, "Key is not unique in collection").
    std::shared_ptr<DocumentRow> Add(const QString& key, const QString& text);
    // Inserts `text` as sub-item `subItem` (from 1); later sub-items move one
    // place to the right, so the status column shows the latest status. A
    // row no longer in the list is changed harmlessly.
    void InsertSubItem(const std::shared_ptr<DocumentRow>& row, int subItem, const QString& text);
    // Why the row's document failed, or what its Word file leaves out;
    // shown as the row's tip and accessible description.
    void SetReason(const std::shared_ptr<DocumentRow>& row, const QString& reason);
    void Clear();

    int Count() const { return mCount; }
    // The row at position `row` (from 0), or null.
    std::shared_ptr<DocumentRow> Item(int row) const;
    std::shared_ptr<DocumentRow> Find(const QString& key) const;
    // The position of the row with `key`, or -1.
    int RowOf(const QString& key) const;
    // The text at (row, column): column 0 the row's text, column 1 its first
    // sub-item.
    QString CellText(int row, int column) const;

    // The row a view's index stands for, or null.
    std::shared_ptr<DocumentRow> RowAt(const QModelIndex& index) const;
    // Where views show the row with `key` (column 0); invalid while they have
    // not been told of it.
    QModelIndex IndexOf(const QString& key) const;

    // How many rows show "Converted" and "Failed" now.
    int ConvertedCount() const { return mConverted; }
    int FailedCount() const { return mFailed; }

    // Called whenever a row's status becomes "Converted" or "Failed" (the
    // command line reports each document then). A reason is set before the
    // status it explains.
    void SetFinishedObserver(std::function<void(const DocumentRow&)> observer) { mFinished = std::move(observer); }
    // Tells the views about every change now instead of at the next frame.
    void Publish();
    // The number of times views were told about new rows (the benchmark
    // reports it).
    quint64 publishCount() const { return mPublishes; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Entry {
        std::shared_ptr<DocumentRow> row;
        bool shown = false; // the views have been told of it
    };
    struct Block {
        std::vector<Entry> entries;
        int shown = 0; // entries the views have been told of
    };

    // The block and place within it of the row with `key`, or {-1, -1}.
    std::pair<int, int> find(const QString& key) const;
    // The row views show at `row`.
    std::shared_ptr<DocumentRow> shownItem(int row) const;
    // Marks every row as known to the views.
    void showAll();

    void count(const QString& status, int delta);
    void noteChanged(const std::shared_ptr<DocumentRow>& row);
    void schedulePublish();
    bool isListed(const std::shared_ptr<DocumentRow>& row) const;

    std::vector<Block> mBlocks;
    QHash<QString, std::shared_ptr<DocumentRow>> mByKey;
    int mCount = 0;
    int mConverted = 0;
    int mFailed = 0;
    std::function<void(const DocumentRow&)> mFinished;

    // What the views have been told: the number of rows, whether rows were
    // added since, and the rows whose texts changed since.
    int mPublished = 0;
    bool mPending = false;
    std::vector<std::shared_ptr<DocumentRow>> mChanged;
    bool mManyChanged = false;
    QTimer mPublishTimer;
    QElapsedTimer mSincePublish;
    qint64 mLastPublishCostUs = 0;
    quint64 mPublishes = 0;
};
