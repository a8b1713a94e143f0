#pragma once

#include <string>
#include <string_view>

// Texts of a language pack live in memory as 8-bit Windows-1252 strings with CR LF line
// breaks; the XML tree and the window hold Unicode (UTF-8 here). These are the only ways
// between the two.
namespace Windows1252 {

// The plain conversion: each Windows-1252 byte becomes the character it denotes. The five
// bytes Windows-1252 leaves undefined become the code points of the same number.
std::string toUtf8(std::string_view text);

// The plain conversion back. A character Windows-1252 cannot hold becomes its best-fit
// character (Ā → A, ‘ → ') where one exists, else "?". Malformed UTF-8 gives "?" per byte.
std::string fromUtf8(std::string_view utf8);

// True when every character of the UTF-8 text exists in Windows-1252 (no best fit needed).
bool representable(std::string_view utf8);

// UTF-8-in-8-bit encoding of a `value` or `comment` text: the text's UTF-8 bytes, each
// taken as one Windows-1252 character; returned as UTF-8 for the XML tree.
std::string encodeUtf8In8Bit(std::string_view text);

// The reverse: the element text (UTF-8) taken plainly to Windows-1252, those bytes decoded
// as UTF-8 (sequences of one to three bytes), and that converted plainly. A text that is
// not such UTF-8 keeps its plainly converted form, so a hand-edited pack loses nothing.
std::string decodeUtf8In8Bit(std::string_view utf8);

// Every line break (CR LF, lone CR, lone LF) made CR LF.
std::string normalizeLineBreaks(std::string_view text);

char toUpper(char c);
char toLower(char c);
std::string upperCase(std::string_view text);
std::string lowerCase(std::string_view text);
// Case-insensitive order and equality: the lower-case forms compared byte by byte.
int compareText(std::string_view a, std::string_view b);
bool sameText(std::string_view a, std::string_view b);

} // namespace Windows1252
