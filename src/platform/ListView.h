#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <vector>

class QHeaderView;
class QStandardItemModel;

namespace platform {

// One row of a ListView: its key, its text (the first column) and its
// sub-items (sub-item 1 fills the second column).
struct ListItem {
    QString Key;
    QString Text;
    QStringList SubItems; // SubItems[0] is sub-item 1
};

// A list view in report form with keyed rows, kept sorted by the first
// column in descending order (letter case ignored, then exact). Built for
// large lists: a row is inserted into its place without re-sorting or moving
// the other rows (rows live in blocks of bounded size), and the list is
// repainted at most at the screen's rate, however often it changes.
class ListView final : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    // Column headers and widths in pixels.
    void setColumns(const QStringList& headers, const QList<int>& widths);
    QHeaderView* header() const { return mHeader; }

    // Adds a row in its sorted place. A key already in the list raises
    // (35602, "Key is not unique in collection").
    std::shared_ptr<ListItem> Add(const QString& key, const QString& text);
    // Inserts `text` as sub-item `index` (from 1); later sub-items move one
    // place to the right. A row no longer in the list is changed harmlessly.
    void InsertSubItem(const std::shared_ptr<ListItem>& item, int index, const QString& text);
    void Clear();
    int Count() const { return mCount; }
    // The row at display position `row` (from 0), or null.
    std::shared_ptr<ListItem> Item(int row) const;
    std::shared_ptr<ListItem> Find(const QString& key) const;
    // The text shown at (row, column): column 0 the row's text, column 1
    // its first sub-item.
    QString CellText(int row, int column) const;

    int currentRow() const { return mCurrent; }
    void setCurrentRow(int row);
    // The number of paints so far (the benchmark reports it).
    quint64 paintCount() const { return mPaints; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Block {
        std::vector<std::shared_ptr<ListItem>> rows;
    };

    void scheduleRefresh();
    void refresh();
    void updateGeometries();
    int rowHeight() const;
    int pageRows() const;
    void ensureVisible(int row);
    int columnCount() const;

    std::vector<Block> mBlocks;
    QHash<QString, std::shared_ptr<ListItem>> mByKey;
    int mCount = 0;
    int mCurrent = -1;

    QHeaderView* mHeader;
    QStandardItemModel* mHeaderModel;
    QTimer mRefreshTimer;
    QElapsedTimer mSinceRefresh;
    quint64 mPaints = 0;
};

} // namespace platform
