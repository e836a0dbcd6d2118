#include "platform/ListView.h"

#include "platform/RuntimeError.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <algorithm>

namespace platform {

namespace {
constexpr std::size_t kMaxBlock = 1024;
constexpr int kFrameMs = 16; // about the screen's refresh rate

// True when a row with text `a` is shown before one with text `b`.
bool shownBefore(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c > 0 : a.compare(b, Qt::CaseSensitive) > 0;
}
} // namespace

ListView::ListView(QWidget* parent)
    : QAbstractScrollArea(parent), mHeader(new QHeaderView(Qt::Horizontal, this)),
      mHeaderModel(new QStandardItemModel(0, 0, this))
{
    mHeader->setModel(mHeaderModel);
    mHeader->setSectionsClickable(false);
    mHeader->setStretchLastSection(false);
    mHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(mHeader, &QHeaderView::sectionResized, this, [this] {
        updateGeometries();
        viewport()->update();
    });
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    mRefreshTimer.setSingleShot(true);
    connect(&mRefreshTimer, &QTimer::timeout, this, &ListView::refresh);
    mSinceRefresh.start();
    updateGeometries();
}

ListView::~ListView() = default;

void ListView::setColumns(const QStringList& headers, const QList<int>& widths)
{
    mHeaderModel->setColumnCount(static_cast<int>(headers.size()));
    mHeaderModel->setHorizontalHeaderLabels(headers);
    for (int i = 0; i < headers.size() && i < widths.size(); ++i)
        mHeader->resizeSection(i, widths.at(i));
    updateGeometries();
}

int ListView::columnCount() const
{
    return mHeaderModel->columnCount();
}

std::shared_ptr<ListItem> ListView::Add(const QString& key, const QString& text)
{
    if (mByKey.contains(key))
        throw RuntimeError(35602, QStringLiteral("Key is not unique in collection: %1").arg(key),
                           QStringLiteral("ListView"));
    auto item = std::make_shared<ListItem>();
    item->Key = key;
    item->Text = text;
    mByKey.insert(key, item);

    // The first block whose last row comes after the new one takes it; rows
    // that come after every other row go to the end of the last block.
    if (mBlocks.empty()) {
        mBlocks.emplace_back();
        mBlocks.back().rows.push_back(item);
        ++mCount;
        if (mCurrent >= 0)
            ++mCurrent;
        scheduleRefresh();
        return item;
    }
    auto blockIt = std::partition_point(mBlocks.begin(), mBlocks.end(), [&](const Block& b) {
        return !shownBefore(text, b.rows.back()->Text);
    });
    if (blockIt == mBlocks.end())
        blockIt = std::prev(mBlocks.end());
    auto& rows = blockIt->rows;
    auto pos = std::partition_point(rows.begin(), rows.end(), [&](const std::shared_ptr<ListItem>& r) {
        return !shownBefore(text, r->Text);
    });
    if (mCurrent >= 0) {
        // Keep the same row current when a row is inserted above it.
        int before = static_cast<int>(pos - rows.begin());
        for (auto it = mBlocks.begin(); it != blockIt; ++it)
            before += static_cast<int>(it->rows.size());
        if (before <= mCurrent)
            ++mCurrent;
    }
    rows.insert(pos, item);
    if (rows.size() > 2 * kMaxBlock) {
        Block tail;
        tail.rows.assign(std::make_move_iterator(rows.begin() + kMaxBlock), std::make_move_iterator(rows.end()));
        rows.resize(kMaxBlock);
        mBlocks.insert(std::next(blockIt), std::move(tail));
    }
    ++mCount;
    scheduleRefresh();
    return item;
}

void ListView::InsertSubItem(const std::shared_ptr<ListItem>& item, int index, const QString& text)
{
    if (!item)
        return;
    const int at = std::clamp(index - 1, 0, static_cast<int>(item->SubItems.size()));
    item->SubItems.insert(at, text);
    if (mByKey.value(item->Key) == item)
        scheduleRefresh();
}

void ListView::Clear()
{
    mBlocks.clear();
    mByKey.clear();
    mCount = 0;
    mCurrent = -1;
    verticalScrollBar()->setValue(0);
    scheduleRefresh();
}

std::shared_ptr<ListItem> ListView::Item(int row) const
{
    if (row < 0 || row >= mCount)
        return nullptr;
    for (const Block& b : mBlocks) {
        const int n = static_cast<int>(b.rows.size());
        if (row < n)
            return b.rows[static_cast<std::size_t>(row)];
        row -= n;
    }
    return nullptr;
}

std::shared_ptr<ListItem> ListView::Find(const QString& key) const
{
    return mByKey.value(key);
}

QString ListView::CellText(int row, int column) const
{
    const auto item = Item(row);
    if (!item)
        return QString();
    if (column == 0)
        return item->Text;
    return column - 1 < item->SubItems.size() ? item->SubItems.at(column - 1) : QString();
}

void ListView::setCurrentRow(int row)
{
    if (mCount == 0) {
        mCurrent = -1;
        return;
    }
    mCurrent = std::clamp(row, 0, mCount - 1);
    ensureVisible(mCurrent);
    viewport()->update();
}

void ListView::scheduleRefresh()
{
    // Coalesce changes: at most one refresh per frame, however many rows
    // change in between.
    if (mRefreshTimer.isActive())
        return;
    const qint64 since = mSinceRefresh.elapsed();
    mRefreshTimer.start(since >= kFrameMs ? 0 : static_cast<int>(kFrameMs - since));
}

void ListView::refresh()
{
    mSinceRefresh.restart();
    updateGeometries();
    viewport()->update();
}

int ListView::rowHeight() const
{
    return fontMetrics().height() + 4;
}

int ListView::pageRows() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

void ListView::updateGeometries()
{
    const int headerHeight = mHeader->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect vg = viewport()->geometry();
    mHeader->setGeometry(vg.left(), vg.top() - headerHeight, vg.width(), headerHeight);

    QScrollBar* v = verticalScrollBar();
    v->setPageStep(pageRows());
    v->setRange(0, std::max(0, mCount - pageRows()));
    int total = 0;
    for (int i = 0; i < columnCount(); ++i)
        total += mHeader->sectionSize(i);
    QScrollBar* h = horizontalScrollBar();
    h->setPageStep(viewport()->width());
    h->setRange(0, std::max(0, total - viewport()->width()));
}

void ListView::ensureVisible(int row)
{
    QScrollBar* v = verticalScrollBar();
    if (row < v->value())
        v->setValue(row);
    else if (row >= v->value() + pageRows())
        v->setValue(row - pageRows() + 1);
}

void ListView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateGeometries();
}

void ListView::scrollContentsBy(int, int)
{
    mHeader->setOffset(horizontalScrollBar()->value());
    viewport()->update();
}

void ListView::paintEvent(QPaintEvent*)
{
    ++mPaints;
    QPainter p(viewport());
    const int h = rowHeight();
    const int first = verticalScrollBar()->value();
    const int visible = viewport()->height() / h + 1;
    const int xOffset = horizontalScrollBar()->value();
    const QFontMetrics fm = fontMetrics();
    const QPalette& pal = palette();

    // Find the block that holds the first visible row, then walk on.
    int row = 0;
    auto block = mBlocks.begin();
    while (block != mBlocks.end() && row + static_cast<int>(block->rows.size()) <= first) {
        row += static_cast<int>(block->rows.size());
        ++block;
    }
    std::size_t inBlock = block == mBlocks.end() ? 0 : static_cast<std::size_t>(first - row);
    for (int i = 0; i < visible && block != mBlocks.end(); ++i) {
        const ListItem& item = *block->rows[inBlock];
        const int y = i * h;
        const bool current = first + i == mCurrent;
        if (current)
            p.fillRect(QRect(0, y, viewport()->width(), h), pal.brush(QPalette::Highlight));
        p.setPen(pal.color(current ? QPalette::HighlightedText : QPalette::Text));
        int x = -xOffset;
        for (int c = 0; c < columnCount(); ++c) {
            const int w = mHeader->sectionSize(c);
            const QString& text = c == 0 ? item.Text
                                         : (c - 1 < item.SubItems.size() ? item.SubItems.at(c - 1) : QString());
            if (!text.isEmpty() && x + w > 0)
                p.drawText(QRect(x + 4, y, w - 8, h), Qt::AlignLeft | Qt::AlignVCenter,
                           fm.elidedText(text, Qt::ElideRight, w - 8));
            x += w;
        }
        if (++inBlock >= block->rows.size()) {
            ++block;
            inBlock = 0;
        }
    }
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up: setCurrentRow(mCurrent - 1); break;
    case Qt::Key_Down: setCurrentRow(mCurrent + 1); break;
    case Qt::Key_PageUp: setCurrentRow(mCurrent - pageRows()); break;
    case Qt::Key_PageDown: setCurrentRow(mCurrent + pageRows()); break;
    case Qt::Key_Home: setCurrentRow(0); break;
    case Qt::Key_End: setCurrentRow(mCount - 1); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    const int row = verticalScrollBar()->value() + static_cast<int>(event->position().y()) / rowHeight();
    if (row < mCount)
        setCurrentRow(row);
    QAbstractScrollArea::mousePressEvent(event);
}

} // namespace platform
