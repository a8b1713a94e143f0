#pragma once

#include <QAbstractListModel>

class KeyList;

// The document's key list as the rows of a list view. The model holds no copy of the keys:
// each row is read from the key list when it is drawn. The row count is the one last
// announced, so the view stays consistent while the owner changes the list and until it
// reports the change.
class KeyListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit KeyListModel(const KeyList& keys, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The key list was changed as a whole (filled, emptied).
    void keysReset();
    // One key was inserted at, or removed from, `row`.
    void keyInserted(int row);
    void keyRemoved(int row);

private:
    const KeyList& keys;
    int rows = 0;
};
