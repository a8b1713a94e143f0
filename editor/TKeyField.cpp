#include "TKeyField.h"

#include "KeyList.h"
#include "KeyListModel.h"
#include "WidgetText.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

TKeyField::TKeyField(const KeyList& shown, QWidget* parent)
    : QWidget(parent), keys(shown), model(new KeyListModel(shown, this)), edit(new QLineEdit(this)),
      list(new QListView(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(edit);
    layout->addWidget(list, 1);

    edit->setObjectName("lpKeyEdit");
    list->setObjectName("lpKeyList");
    list->setModel(model);
    // Equal row heights let the view place 100,000 keys without measuring each one.
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFocusPolicy(Qt::ClickFocus);
    setFocusProxy(edit);

    WidgetText::keepWindows1252(edit);
    connect(edit, &QLineEdit::textEdited, this, &TKeyField::textTyped);
    connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, &TKeyField::currentPicked);
    edit->installEventFilter(this);
    keys.setListener(this);
}

TKeyField::~TKeyField()
{
    if (!listGone)
        keys.setListener(nullptr);
}

// The window's document may end before its widgets: nothing is read from the list after this.
void TKeyField::keyListDestroyed()
{
    listGone = true;
}

std::string TKeyField::text() const
{
    return WidgetText::toDocument(edit->text());
}

int TKeyField::itemIndex() const
{
    const QModelIndex current = list->selectionModel()->currentIndex();
    return current.isValid() && list->selectionModel()->isSelected(current) ? current.row() : -1;
}

void TKeyField::setItemIndex(int index)
{
    selectRow(index);
    edit->setText(index < 0 ? QString() : WidgetText::fromDocument(keys.at(index)));
}

void TKeyField::keysReset()
{
    selectingByProgram = true;
    model->keysReset();
    selectingByProgram = false;
    edit->clear();
}

void TKeyField::keyInserted(int row)
{
    selectingByProgram = true;
    model->keyInserted(row);
    selectingByProgram = false;
}

void TKeyField::keyRemoved(int row)
{
    const bool wasSelected = itemIndex() == row;
    selectingByProgram = true;
    model->keyRemoved(row);
    selectingByProgram = false;
    if (wasSelected)
        setItemIndex(-1);
}

bool TKeyField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit && event->type() == QEvent::KeyPress) {
        const int step = std::max(1, list->viewport()->height() / std::max(1, list->sizeHintForRow(0)) - 1);
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Up:
            moveSelection(-1);
            return true;
        case Qt::Key_Down:
            moveSelection(1);
            return true;
        case Qt::Key_PageUp:
            moveSelection(-step);
            return true;
        case Qt::Key_PageDown:
            moveSelection(step);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The typed name selects the entry of that name, found by binary search; a name that is in
// no entry leaves nothing selected and shows where it would stand.
void TKeyField::textTyped()
{
    const std::string key = text();
    const int row = keys.indexOf(key);
    selectRow(row);
    if (row < 0 && !keys.empty()) {
        const auto& items = keys.items();
        const auto place =
            std::lower_bound(items.begin(), items.end(), key, [](const auto& a, const auto& b) {
                return KeyList::compareWithoutCase(a, b) < 0;
            });
        const int near = std::min(static_cast<int>(place - items.begin()), keys.count() - 1);
        list->scrollTo(model->index(near), QAbstractItemView::PositionAtTop);
    }
    Q_EMIT change();
}

void TKeyField::currentPicked(const QModelIndex& current)
{
    if (selectingByProgram || !current.isValid())
        return;
    edit->setText(WidgetText::fromDocument(keys.at(current.row())));
    Q_EMIT change();
}

void TKeyField::selectRow(int row)
{
    selectingByProgram = true;
    if (row < 0 || row >= model->rowCount()) {
        list->selectionModel()->clear();
    } else {
        const QModelIndex index = model->index(row);
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        list->scrollTo(index);
    }
    selectingByProgram = false;
}

void TKeyField::moveSelection(int rows)
{
    if (model->rowCount() == 0)
        return;
    const int from = itemIndex();
    const int to =
        std::clamp(from < 0 ? (rows > 0 ? 0 : model->rowCount() - 1) : from + rows, 0, model->rowCount() - 1);
    if (to == from)
        return;
    selectRow(to);
    edit->setText(WidgetText::fromDocument(keys.at(to)));
    edit->selectAll();
    Q_EMIT change();
}
