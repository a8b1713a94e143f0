#include "SearchResultList.h"

#include "KeyList.h"
#include "KeyListModel.h"

SearchResultList::SearchResultList(const KeyList& shown, QWidget* parent)
    : QListView(parent), results(shown), lines(new KeyListModel(shown, this))
{
    setModel(lines);
    // Equal row heights let the view place 100,000 lines without measuring each one.
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QAbstractItemView::clicked, this, &SearchResultList::click);
    results.setListener(this);
}

SearchResultList::~SearchResultList()
{
    if (!resultsGone)
        results.setListener(nullptr);
}

void SearchResultList::keysReset()
{
    lines->keysReset();
}

void SearchResultList::keyInserted(int row)
{
    lines->keyInserted(row);
}

void SearchResultList::keyRemoved(int row)
{
    lines->keyRemoved(row);
}

void SearchResultList::keyListDestroyed()
{
    resultsGone = true;
}

std::optional<std::string> SearchResultList::selectedText() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current) || current.row() >= results.count())
        return std::nullopt;
    return results.at(current.row());
}

void SearchResultList::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex().isValid() && currentIndex() != before)
        Q_EMIT click();
}
