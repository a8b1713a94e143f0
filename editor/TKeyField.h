#pragma once

#include "KeyList.h"

#include <QWidget>

#include <string>

class KeyListModel;
class QLineEdit;
class QListView;
class QModelIndex;

// The key field `lpKey`: an edit line with the sorted key list always open below it. The list
// shows the document's key list itself and follows its changes by itself. Typing in the edit
// line and picking an entry of the list report `change`; selecting by program does not.
// Selecting an entry puts its text into the edit line, and removing the selection empties it.
class TKeyField : public QWidget, public KeyListListener
{
    Q_OBJECT
public:
    explicit TKeyField(const KeyList& keys, QWidget* parent = nullptr);
    ~TKeyField() override;

    // The text of the edit line in the document's encoding: the current key.
    std::string text() const;
    // The selected entry, or -1.
    int itemIndex() const;
    // Selects the entry (its text goes into the edit line); -1 removes the selection and
    // empties the edit line. Reports no change.
    void setItemIndex(int index);

    QLineEdit* lineEdit() const { return edit; }
    QListView* listView() const { return list; }

Q_SIGNALS:
    void change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The key list changed: as a whole (the selection and the edit line are emptied), or by
    // one key at `row`.
    void keysReset() override;
    void keyInserted(int row) override;
    void keyRemoved(int row) override;
    void keyListDestroyed() override;

    void textTyped();
    void currentPicked(const QModelIndex& current);
    void selectRow(int row);
    void moveSelection(int rows);

    const KeyList& keys;
    bool listGone = false;
    KeyListModel* model;
    QLineEdit* edit;
    QListView* list;
    bool selectingByProgram = false;
};
