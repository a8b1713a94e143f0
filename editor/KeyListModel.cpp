#include "KeyListModel.h"

#include "KeyList.h"
#include "WidgetText.h"

KeyListModel::KeyListModel(const KeyList& shown, QObject* parent)
    : QAbstractListModel(parent), keys(shown), rows(shown.count())
{
}

int KeyListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows;
}

QVariant KeyListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= keys.count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return WidgetText::fromDocument(keys.at(index.row()));
    return {};
}

void KeyListModel::keysReset()
{
    beginResetModel();
    rows = keys.count();
    endResetModel();
}

void KeyListModel::keyInserted(int row)
{
    beginInsertRows(QModelIndex(), row, row);
    rows = keys.count();
    endInsertRows();
}

void KeyListModel::keyRemoved(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    rows = keys.count();
    endRemoveRows();
}
