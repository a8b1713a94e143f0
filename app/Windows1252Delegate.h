#pragma once

#include <QStyledItemDelegate>

// Edits cells with a line edit that replaces characters Windows-1252 cannot hold as soon as
// they are typed, so the cell shows what the document will store.
class Windows1252Delegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
};
