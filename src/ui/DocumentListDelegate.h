// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QStyledItemDelegate>

// Paints the document list's cells: one line of text each, cut short with
// an ellipsis when it does not fit, on the selection colour for the current
// row; a marked status cell (see DocumentList::Mark) begins with the style's
// warning or error icon. Much cheaper than the style's general item painting, which lays out
// every cell's text for wrapping, icons and check boxes the list never has:
// during a batch the list is repainted at the screen's rate.
class DocumentListDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
