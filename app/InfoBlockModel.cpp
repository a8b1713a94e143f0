#include "InfoBlockModel.h"

#include "WidgetText.h"

namespace {

const char* const rowNames[] = {"Projekt", "Name", "Sprache", "Version", "letzte Änderung"};

} // namespace

InfoBlockModel::InfoBlockModel(Cells& infoCells, QObject* parent)
    : QAbstractTableModel(parent), cells(infoCells)
{
}

int InfoBlockModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(cells.size());
}

int InfoBlockModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant InfoBlockModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    if (index.column() == 0)
        return QString::fromUtf8(rowNames[index.row()]);
    return WidgetText::fromDocument(cells[static_cast<std::size_t>(index.row())]);
}

bool InfoBlockModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 1 || role != Qt::EditRole)
        return false;
    std::string& cell = cells[static_cast<std::size_t>(index.row())];
    const std::string text = WidgetText::toDocument(value.toString());
    if (text == cell)
        return true;
    cell = text;
    Q_EMIT dataChanged(index, index);
    return true;
}

Qt::ItemFlags InfoBlockModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 1)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant InfoBlockModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Option") : QStringLiteral("Wert");
}

void InfoBlockModel::cellsChanged()
{
    Q_EMIT dataChanged(index(0, 1), index(rowCount() - 1, 1));
}
