#pragma once

#include <QListView>

#include <optional>
#include <string>

class KeyList;
class KeyListModel;

// The result list of the search (`ergenbisse`): the lines are the names of a key list that
// the owner fills, shown without copying, so that a search finding 100,000 keys lists them at
// once. Picking a line with the mouse or the arrow keys reports `click`; typing does not jump
// to a line (automatic completion is off).
class SearchResultList : public QListView
{
    Q_OBJECT
public:
    explicit SearchResultList(const KeyList& results, QWidget* parent = nullptr);

    // The owner replaced the results: the list shows them, nothing selected.
    void resultsReset();
    // The text of the selected line in the document's encoding, if a line is selected.
    std::optional<std::string> selectedText() const;

Q_SIGNALS:
    void click();

protected:
    void keyboardSearch(const QString&) override {}
    void keyPressEvent(QKeyEvent* event) override;

private:
    const KeyList& results;
    KeyListModel* lines;
};
