#include "Memo.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <memory>

void Memo::pasteFrom(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString text = QGuiApplication::clipboard()->text(mode);
    if (!text.isEmpty())
        insertPlainText(text);
}

void Memo::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteFrom(QClipboard::Clipboard);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// The middle button pastes X11's selection; the text control would ask it for its formats.
void Memo::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        setTextCursor(cursorForPosition(event->position().toPoint()));
        event->accept();
        return;
    }
    QPlainTextEdit::mousePressEvent(event);
}

void Memo::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        if (QGuiApplication::clipboard()->supportsSelection())
            pasteFrom(QClipboard::Selection);
        event->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
}

// The standard menu, with its paste entry running the guarded paste.
void Memo::contextMenuEvent(QContextMenuEvent* event)
{
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    for (QAction* action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste"))
            continue;
        action->disconnect();
        action->setEnabled(!isReadOnly() && !QGuiApplication::clipboard()->text().isEmpty());
        connect(action, &QAction::triggered, this, [this] { pasteFrom(QClipboard::Clipboard); });
    }
    menu->exec(event->globalPos());
}

// Dropped data is offered as it comes; only its plain text is taken.
bool Memo::canInsertFromMimeData(const QMimeData* source) const
{
    return source != nullptr && source->hasText();
}

void Memo::insertFromMimeData(const QMimeData* source)
{
    if (source != nullptr && source->hasText() && !source->text().isEmpty())
        insertPlainText(source->text());
}
