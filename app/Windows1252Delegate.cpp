#include "Windows1252Delegate.h"

#include "WidgetText.h"

#include <QLineEdit>

QWidget* Windows1252Delegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* edit = qobject_cast<QLineEdit*>(editor))
        WidgetText::keepWindows1252(edit);
    return editor;
}
