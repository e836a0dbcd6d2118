// SPDX-License-Identifier: MPL-2.0
#include "ui/DocumentListDelegate.h"

#include "core/DocumentList.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <algorithm>

void DocumentListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    constexpr int kMargin = 4;
    QRect area = option.rect.adjusted(kMargin, 0, -kMargin, 0);
    const auto mark = DocumentList::Mark(index.data(DocumentList::MarkRole).toInt());
    if (mark != DocumentList::Mark::None) {
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        const QIcon icon = style->standardIcon(
            mark == DocumentList::Mark::Failed ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning, nullptr,
            option.widget);
        const int side = std::min(area.height() - 2, option.fontMetrics.height());
        icon.paint(painter, QRect(area.left(), area.top() + (area.height() - side) / 2, side, side));
        area.setLeft(area.left() + side + kMargin);
    }
    painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
}
