#include "WidgetText.h"

#include "LineBreaks.h"
#include "Windows1252.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace WidgetText {
namespace {

QString qt(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

bool representableChar(char32_t cp)
{
    if (cp < 0x80)
        return true;
    const QString one = QString::fromUcs4(&cp, 1);
    return Windows1252::representable(one.toUtf8().toStdString());
}

QString replacementFor(char32_t cp)
{
    const QString one = QString::fromUcs4(&cp, 1);
    return qt(Windows1252::toUtf8(Windows1252::fromUtf8(one.toUtf8().toStdString())));
}

} // namespace

QString fromDocument(std::string_view text)
{
    return qt(Windows1252::toUtf8(text));
}

std::string toDocument(const QString& text)
{
    return Windows1252::fromUtf8(text.toUtf8().toStdString());
}

QString memoFromDocument(std::string_view text)
{
    return fromDocument(LineBreaks::normalize(text, LineBreaks::lf));
}

std::string memoToDocument(const QString& text)
{
    return LineBreaks::normalize(toDocument(text), LineBreaks::crLf);
}

QString representableOnly(const QString& text)
{
    bool fine = true;
    for (const char32_t cp : text.toUcs4())
        fine = fine && representableChar(cp);
    if (fine)
        return text;
    QString out;
    for (const char32_t cp : text.toUcs4())
        out += representableChar(cp) ? QString::fromUcs4(&cp, 1) : replacementFor(cp);
    return out;
}

QString memoText(const QPlainTextEdit* memo)
{
    QString text = memo->document()->toRawText();
    for (QChar& c : text) {
        // Paragraph and line separators, and the frame marks of the text document.
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c.unicode() == 0xFDD0 ||
            c.unicode() == 0xFDD1)
            c = '\n';
    }
    return text;
}

bool setMemoText(QPlainTextEdit* memo, const QString& text)
{
    if (memoText(memo) == text)
        return false;
    memo->setPlainText(text);
    return true;
}

bool keepWindows1252(QPlainTextEdit* memo)
{
    const QString text = memoText(memo);
    if (representableOnly(text) == text)
        return false;
    QTextCursor cursor(memo->document());
    cursor.beginEditBlock();
    // From the end backwards, so the positions of the characters still to be replaced hold.
    for (qsizetype i = text.size(); i-- > 0;) {
        qsizetype length = 1;
        char32_t cp = text[i].unicode();
        if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i - 1], text[i]);
            --i;
            length = 2;
        }
        if (representableChar(cp) || cp == QChar::ParagraphSeparator || cp == QChar::LineSeparator ||
            cp == 0xFDD0 || cp == 0xFDD1)
            continue;
        cursor.setPosition(static_cast<int>(i));
        cursor.setPosition(static_cast<int>(i + length), QTextCursor::KeepAnchor);
        cursor.insertText(replacementFor(cp));
    }
    cursor.endEditBlock();
    return true;
}

void keepWindows1252(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString fixed = representableOnly(text);
        if (fixed == text)
            return;
        const int cursor = static_cast<int>(representableOnly(text.left(edit->cursorPosition())).size());
        edit->setText(fixed);
        edit->setCursorPosition(cursor);
    });
}

} // namespace WidgetText
