#pragma once

#include <QString>

#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

// Texts between the widgets (Unicode) and the document (Windows-1252, CR LF line breaks).
namespace WidgetText {

// A one-line text of the document as the widgets show it, and back.
QString fromDocument(std::string_view text);
std::string toDocument(const QString& text);

// A memo's text: the document's CR LF (or a lone CR or LF) is a widget line break "\n".
QString memoFromDocument(std::string_view text);
std::string memoToDocument(const QString& text);

// The text with every character that Windows-1252 cannot hold replaced by the character the
// document will store instead (its best fit, else "?").
QString representableOnly(const QString& text);

// The memo's text exactly as typed: unlike toPlainText() it keeps non-breaking spaces,
// which Windows-1252 holds and the document must get back unchanged.
QString memoText(const QPlainTextEdit* memo);
// Sets the memo's text unless it holds that text already, so that setting an equal text
// changes nothing and runs no change rule. Returns whether the text changed.
bool setMemoText(QPlainTextEdit* memo, const QString& text);

// Replaces, in place, the characters of the memo that Windows-1252 cannot hold; the cursor
// stays where it was. Returns whether anything was replaced.
bool keepWindows1252(QPlainTextEdit* memo);
// The line edit from now on replaces such characters as soon as they are typed or pasted.
void keepWindows1252(QLineEdit* edit);

} // namespace WidgetText
