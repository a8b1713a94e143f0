#pragma once

#include <array>
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
// The same; `lost` becomes true when a character had to be replaced (best fit, "?").
std::string fromUtf8(std::string_view utf8, bool& lost);
// The same into `out`, which it replaces: a caller converting text after text keeps one
// string and its memory. `utf8` must not lie in `out`.
void fromUtf8Into(std::string_view utf8, std::string& out, bool& lost);

// True when every character of the UTF-8 text exists in Windows-1252 (no best fit needed).
bool representable(std::string_view utf8);

// The byte that stands for the character exactly (the five undefined bytes for the code
// points of the same number), or -1 when Windows-1252 lacks it.
int exactByte(char32_t character);

// UTF-8-in-8-bit encoding of a `value` or `comment` text: the text's UTF-8 bytes, each
// taken as one Windows-1252 character; returned as UTF-8 for the XML tree.
std::string encodeUtf8In8Bit(std::string_view text);

// The reverse: the element text (UTF-8) taken plainly to Windows-1252, those bytes decoded
// as UTF-8 (sequences of one to three bytes), and that converted plainly. A text that is
// not such UTF-8 keeps its plainly converted form, so a hand-edited pack loses nothing.
std::string decodeUtf8In8Bit(std::string_view utf8);

// decodeUtf8In8Bit with every line break made CR LF, in one pass: how the reader takes
// the text of a `value` or `comment`.
std::string decodeText(std::string_view utf8);
// The same into the memory of `out`, which the decoded text returned lies in (valid until
// `out` changes): the reader decodes text after text into one string and keeps its memory.
// `lost` becomes true when a character of the text had no exact Windows-1252 byte and was
// replaced. `utf8` must not lie in `out`.
std::string_view decodeTextInto(std::string_view utf8, std::string& out, bool& lost);
// The same to `out`, which has room for decodedRoom(utf8) bytes; returns the decoded length.
std::size_t decodeTextTo(std::string_view utf8, char* out, bool& lost);
inline std::size_t decodedRoom(std::string_view utf8)
{
    return utf8.size() * 2 + 16;
}

// The UTF-8 bytes that one Windows-1252 byte becomes: by the plain conversion, or (doubled)
// by the UTF-8-in-8-bit encoding. For writers that convert and escape in one pass.
std::string_view utf8Form(unsigned char byte, bool doubled);

namespace detail {
struct CaseTable
{
    std::array<char, 256> upper{};
    std::array<char, 256> lower{};
    constexpr CaseTable()
    {
        for (int i = 0; i < 256; ++i)
            upper[i] = lower[i] = static_cast<char>(i);
        auto pair = [this](int big, int small) {
            upper[small] = static_cast<char>(big);
            lower[big] = static_cast<char>(small);
        };
        for (int c = 'A'; c <= 'Z'; ++c)
            pair(c, c + 32);
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7)
                pair(c, c + 32);
        pair(0x8A, 0x9A); // Š š
        pair(0x8C, 0x9C); // Œ œ
        pair(0x8E, 0x9E); // Ž ž
        pair(0x9F, 0xFF); // Ÿ ÿ
    }
};
inline constexpr CaseTable caseTable;
} // namespace detail

// Upper and lower case by the code page's letters; ß and µ have no upper-case form.
constexpr char toUpper(char c)
{
    return detail::caseTable.upper[static_cast<unsigned char>(c)];
}
constexpr char toLower(char c)
{
    return detail::caseTable.lower[static_cast<unsigned char>(c)];
}
std::string upperCase(std::string_view text);
std::string lowerCase(std::string_view text);
// Case-insensitive order and equality: the lower-case forms compared byte by byte.
inline int compareText(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    // Keys share long prefixes: skip the bytes that are equal as they stand first.
    std::size_t i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    for (; i < n; ++i) {
        const auto x = static_cast<unsigned char>(toLower(a[i]));
        const auto y = static_cast<unsigned char>(toLower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline bool sameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    if (a == b)
        return true;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toLower(a[i]) != toLower(b[i]))
            return false;
    return true;
}

} // namespace Windows1252
