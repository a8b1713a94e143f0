#pragma once

#include <QAbstractTableModel>

#include <array>
#include <string>

// The info block `lpInfoblock`: the five rows "Projekt", "Name", "Sprache", "Version",
// "letzte Änderung" under the titles "Option" and "Wert", over the document's info-block
// cells. Only the values can be edited; an edit goes straight into the cell.
class InfoBlockModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using Cells = std::array<std::string, 5>;

    explicit InfoBlockModel(Cells& cells, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The owner changed the cells.
    void cellsChanged();

private:
    Cells& cells;
};
