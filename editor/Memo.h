#pragma once

#include <QClipboard>
#include <QPlainTextEdit>

// The window's two text fields ("Übersetzung", "Kommentar"). Every paste reads the clipboard
// as plain text, the way a line edit does: Qt's text control asks the X11 clipboard for its
// formats instead, and with no clipboard owner that ends the program. With no text on the
// clipboard a paste does nothing; pasted text then meets the memos' change rules like typed
// text.
class Memo : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // Ctrl+V, Shift+Insert and "Einfügen" of the context menu.
    void pasteFrom(QClipboard::Mode mode);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
