#pragma once

#include <QStyledItemDelegate>

// Edits cells with a line edit that replaces characters Windows-1252 cannot hold as soon as
// they are typed, so the cell shows what the document will store. Every keystroke goes into
// the cell at once: a save or export started while the cell is still being edited writes
// what the user sees.
class Windows1252Delegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    // Leaves an editor alone that shows the cell's text already, so that taking each
    // keystroke over does not move the cursor.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
};
