// SPDX-License-Identifier: MPL-2.0
#include "core/DocumentList.h"

#include "platform/automation/RuntimeError.h"

#include <algorithm>
#include <utility>

namespace {
constexpr std::size_t kMaxBlock = 1024;
constexpr int kFrameMs = 16; // about the screen's refresh rate
// Telling the views about new rows costs time in proportion to the list:
// keep that below about a tenth of the time between two such resets.
constexpr qint64 kPublishShare = 10;
constexpr int kMaxPublishIntervalMs = 250;
// Beyond this many changed rows in one frame, the views are told that every
// row may have changed (they repaint what they show either way).
constexpr std::size_t kMaxChangedRows = 64;

// True when a row with text `a` is shown before one with text `b`.
bool shownBefore(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c > 0 : a.compare(b, Qt::CaseSensitive) > 0;
}
} // namespace

DocumentList::DocumentList(QObject* parent) : QAbstractTableModel(parent)
{
    mPublishTimer.setSingleShot(true);
    connect(&mPublishTimer, &QTimer::timeout, this, &DocumentList::Publish);
    mSincePublish.start();
}

DocumentList::~DocumentList() = default;

std::shared_ptr<DocumentRow> DocumentList::Add(const QString& key, const QString& text)
{
    if (mByKey.contains(key))
        throw platform::RuntimeError(35602, QStringLiteral("Key is not unique in collection: %1").arg(key),
                                     QStringLiteral("ListView"));
    auto row = std::make_shared<DocumentRow>();
    row->Key = key;
    row->Text = text;
    mByKey.insert(key, row);

    // The first block whose last row comes after the new one takes it; a row
    // that comes after every other row goes to the end of the last block.
    if (mBlocks.empty()) {
        mBlocks.emplace_back();
        mBlocks.back().entries.push_back({row});
    } else {
        auto block = std::partition_point(mBlocks.begin(), mBlocks.end(), [&](const Block& b) {
            return !shownBefore(text, b.entries.back().row->Text);
        });
        if (block == mBlocks.end())
            block = std::prev(mBlocks.end());
        auto& entries = block->entries;
        const auto at = std::partition_point(entries.begin(), entries.end(), [&](const Entry& e) {
            return !shownBefore(text, e.row->Text);
        });
        entries.insert(at, {row});
        if (entries.size() > 2 * kMaxBlock) {
            Block tail;
            tail.entries.assign(std::make_move_iterator(entries.begin() + kMaxBlock),
                                std::make_move_iterator(entries.end()));
            entries.resize(kMaxBlock);
            const auto shownIn = [](const Block& b) {
                return static_cast<int>(std::count_if(b.entries.begin(), b.entries.end(),
                                                      [](const Entry& e) { return e.shown; }));
            };
            block->shown = shownIn(*block);
            tail.shown = shownIn(tail);
            mBlocks.insert(std::next(block), std::move(tail));
        }
    }
    ++mCount;
    mPending = true;
    schedulePublish();
    return row;
}

bool DocumentList::isListed(const std::shared_ptr<DocumentRow>& row) const
{
    return row && mByKey.value(row->Key) == row;
}

void DocumentList::count(const QString& status, int delta)
{
    if (status == Status::Converted)
        mConverted += delta;
    else if (status == Status::Failed)
        mFailed += delta;
}

void DocumentList::InsertSubItem(const std::shared_ptr<DocumentRow>& row, int subItem, const QString& text)
{
    if (!row)
        return;
    const bool listed = isListed(row);
    const int at = std::clamp(subItem - 1, 0, static_cast<int>(row->SubItems.size()));
    if (listed && at == 0)
        count(row->SubItems.value(0), -1);
    row->SubItems.insert(at, text);
    if (!listed || at != 0)
        return;
    count(text, +1);
    noteChanged(row);
    if (mFinished && (text == Status::Converted || text == Status::Failed))
        mFinished(*row);
}

void DocumentList::noteChanged(const std::shared_ptr<DocumentRow>& row)
{
    // While new rows wait for the next reset, that reset shows this too.
    if (mPending)
        return;
    // The same row again (its reason, then its status) is noted once; its
    // publication is already scheduled.
    if (!mChanged.empty() && mChanged.back() == row)
        return;
    if (mChanged.size() < kMaxChangedRows)
        mChanged.push_back(row);
    else
        mManyChanged = true;
    schedulePublish();
}

void DocumentList::SetReason(const std::shared_ptr<DocumentRow>& row, const QString& reason)
{
    if (!row)
        return;
    row->Reason = reason;
    if (isListed(row))
        noteChanged(row);
}

void DocumentList::Clear()
{
    beginResetModel();
    mBlocks.clear();
    mByKey.clear();
    mCount = 0;
    mConverted = 0;
    mFailed = 0;
    mPublished = 0;
    mPending = false;
    mChanged.clear();
    mManyChanged = false;
    mPublishTimer.stop();
    endResetModel();
}

std::shared_ptr<DocumentRow> DocumentList::Item(int row) const
{
    if (row < 0 || row >= mCount)
        return nullptr;
    for (const Block& b : mBlocks) {
        const int n = static_cast<int>(b.entries.size());
        if (row < n)
            return b.entries[static_cast<std::size_t>(row)].row;
        row -= n;
    }
    return nullptr;
}

std::shared_ptr<DocumentRow> DocumentList::shownItem(int row) const
{
    if (row < 0 || row >= mPublished)
        return nullptr;
    for (const Block& b : mBlocks) {
        if (row >= b.shown) {
            row -= b.shown;
            continue;
        }
        if (b.shown == static_cast<int>(b.entries.size()))
            return b.entries[static_cast<std::size_t>(row)].row;
        // New rows the views do not know yet sit among the others: skip them.
        for (const Entry& e : b.entries) {
            if (e.shown && row-- == 0)
                return e.row;
        }
        return nullptr;
    }
    return nullptr;
}

std::shared_ptr<DocumentRow> DocumentList::Find(const QString& key) const
{
    return mByKey.value(key);
}

std::pair<int, int> DocumentList::find(const QString& key) const
{
    const auto row = mByKey.value(key);
    if (!row)
        return {-1, -1};
    const auto before = [&](const Entry& e) { return shownBefore(e.row->Text, row->Text); };
    for (std::size_t i = 0; i < mBlocks.size(); ++i) {
        const auto& entries = mBlocks[i].entries;
        // Rows with the same text may span blocks: look from the first row
        // not shown before ours up to the last one with the same text.
        if (before(entries.back()))
            continue;
        for (auto it = std::partition_point(entries.begin(), entries.end(), before);
             it != entries.end() && !shownBefore(row->Text, it->row->Text); ++it) {
            if (it->row == row)
                return {static_cast<int>(i), static_cast<int>(it - entries.begin())};
        }
    }
    return {-1, -1};
}

int DocumentList::RowOf(const QString& key) const
{
    const auto [block, at] = find(key);
    if (block < 0)
        return -1;
    int passed = 0;
    for (int i = 0; i < block; ++i)
        passed += static_cast<int>(mBlocks[static_cast<std::size_t>(i)].entries.size());
    return passed + at;
}

QModelIndex DocumentList::IndexOf(const QString& key) const
{
    const auto [block, at] = find(key);
    if (block < 0)
        return QModelIndex();
    const Block& b = mBlocks[static_cast<std::size_t>(block)];
    if (!b.entries[static_cast<std::size_t>(at)].shown)
        return QModelIndex();
    int passed = 0;
    for (int i = 0; i < block; ++i)
        passed += mBlocks[static_cast<std::size_t>(i)].shown;
    passed += b.shown == static_cast<int>(b.entries.size())
                  ? at
                  : static_cast<int>(std::count_if(b.entries.begin(), b.entries.begin() + at,
                                                   [](const Entry& e) { return e.shown; }));
    return index(passed, 0);
}

std::shared_ptr<DocumentRow> DocumentList::RowAt(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this ? shownItem(index.row()) : nullptr;
}

QString DocumentList::CellText(int row, int column) const
{
    const auto item = Item(row);
    if (!item)
        return QString();
    if (column == 0)
        return item->Text;
    return item->SubItems.value(column - 1);
}

void DocumentList::schedulePublish()
{
    // At most one reset per frame, and less often when resets grow costly
    // (a long list): the views then take a small share of the time.
    if (mPublishTimer.isActive())
        return;
    const qint64 spacing = std::min<qint64>(kMaxPublishIntervalMs,
                                            std::max<qint64>(kFrameMs, mLastPublishCostUs * kPublishShare / 1000));
    const qint64 since = mSincePublish.elapsed();
    mPublishTimer.start(static_cast<int>(since >= spacing ? 0 : spacing - since));
}

void DocumentList::Publish()
{
    mPublishTimer.stop();
    const std::vector<std::shared_ptr<DocumentRow>> changed = std::exchange(mChanged, {});
    const bool many = std::exchange(mManyChanged, false);
    if (!mPending) {
        // Only texts changed: those cells, or every row when there were many.
        if (many && mPublished > 0) {
            emit dataChanged(index(0, 0), index(mPublished - 1, 1));
        } else {
            for (const auto& row : changed) {
                const QModelIndex at = isListed(row) ? IndexOf(row->Key) : QModelIndex();
                if (at.isValid())
                    emit dataChanged(at, at.siblingAtColumn(1));
            }
        }
        mSincePublish.restart();
        return;
    }
    QElapsedTimer cost;
    cost.start();
    beginResetModel();
    showAll();
    mPublished = mCount;
    mPending = false;
    endResetModel();
    ++mPublishes;
    mLastPublishCostUs = cost.nsecsElapsed() / 1000;
    mSincePublish.restart();
}

void DocumentList::showAll()
{
    for (Block& b : mBlocks) {
        if (b.shown == static_cast<int>(b.entries.size()))
            continue;
        for (Entry& e : b.entries)
            e.shown = true;
        b.shown = static_cast<int>(b.entries.size());
    }
}

int DocumentList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : mPublished;
}

int DocumentList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant DocumentList::data(const QModelIndex& index, int role) const
{
    const auto row = RowAt(index);
    if (!row)
        return QVariant();
    const auto mark = [&] {
        const QString& status = row->SubItems.value(0);
        if (status == Status::Failed)
            return Mark::Failed;
        return status == Status::Converted && !row->Reason.isEmpty() ? Mark::Incomplete : Mark::None;
    };
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? row->Text : row->SubItems.value(0);
    case Qt::ToolTipRole:
        if (!row->Reason.isEmpty())
            return row->Reason;
        return QVariant();
    case Qt::AccessibleDescriptionRole:
        if (row->Reason.isEmpty())
            return QVariant();
        if (index.column() == 1 && mark() != Mark::None)
            return (mark() == Mark::Failed ? QStringLiteral("Error: ") : QStringLiteral("Warning: ")) + row->Reason;
        return row->Reason;
    case MarkRole:
        return index.column() == 1 ? QVariant(int(mark())) : QVariant();
    default:
        return QVariant();
    }
}

QVariant DocumentList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case 0: return QStringLiteral("File Name:");
    case 1: return QStringLiteral("Status:");
    default: return QVariant();
    }
}
