#pragma once

#include "KeyList.h"

#include <QListView>

#include <optional>
#include <string>

class KeyListModel;

// The result list of the search (`ergenbisse`): the lines are the names of a key list that
// the owner fills, shown without copying and followed by themselves, so that a search finding
// 100,000 keys lists them at once. Picking a line with the mouse or the arrow keys reports `click`; typing
// does not jump to a line (automatic completion is off).
class SearchResultList : public QListView, private KeyListListener
{
    Q_OBJECT
public:
    explicit SearchResultList(const KeyList& results, QWidget* parent = nullptr);
    ~SearchResultList() override;
    // The text of the selected line in the document's encoding, if a line is selected.
    std::optional<std::string> selectedText() const;

Q_SIGNALS:
    void click();

protected:
    void keyboardSearch(const QString&) override {}
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The owner replaced the results: the list shows them, nothing selected.
    void keysReset() override;
    void keyInserted(int row) override;
    void keyRemoved(int row) override;
    void keyListDestroyed() override;

    const KeyList& results;
    bool resultsGone = false;
    KeyListModel* lines;
};
