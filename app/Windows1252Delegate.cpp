#include "Windows1252Delegate.h"

#include "WidgetText.h"

#include <QLineEdit>

QWidget* Windows1252Delegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        WidgetText::keepWindows1252(edit);
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit] { Q_EMIT const_cast<Windows1252Delegate*>(this)->commitData(edit); });
    }
    return editor;
}

void Windows1252Delegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* edit = qobject_cast<QLineEdit*>(editor);
        edit && edit->text() == index.data(Qt::EditRole).toString())
        return;
    QStyledItemDelegate::setEditorData(editor, index);
}
