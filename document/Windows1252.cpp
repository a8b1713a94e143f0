#include "Windows1252.h"

#include <array>
#include <cstdint>

namespace Windows1252 {
namespace {

// Code points of the bytes 0x80 to 0x9F; the five undefined bytes stand for themselves.
constexpr std::array<char32_t, 32> highControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Best-fit letters for Latin Extended-A (U+0100 to U+017F), by code point order; "?" where
// the letter has no plain Latin counterpart.
constexpr std::string_view latinExtendedA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKk?LlLlLlLlLlNnNnNn???OoOoOo"
    "\x8C\x9CRrRrRrSsSsSs\x8A\x9ATtTtTtUuUuUuUuUuUuWwYy\x9FZzZz\x8E\x9E?";

static_assert(latinExtendedA.size() == 128);

char32_t decodeByte(unsigned char b)
{
    if (b >= 0x80 && b < 0xA0)
        return highControls[b - 0x80];
    return b;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr char32_t invalid = 0xFFFFFFFF;

// Decodes one UTF-8 sequence of at most `maxLength` bytes at `pos`, strictly (no overlong
// forms, no surrogates); advances `pos` by one byte on an invalid sequence.
char32_t nextCodePoint(std::string_view s, std::size_t& pos, int maxLength)
{
    const unsigned char b = static_cast<unsigned char>(s[pos]);
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (b < 0x80) {
        ++pos;
        return b;
    } else if ((b & 0xE0) == 0xC0) {
        length = 2, cp = b & 0x1F, minimum = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, cp = b & 0x0F, minimum = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, cp = b & 0x07, minimum = 0x10000;
    }
    if (length == 0 || length > maxLength || pos + static_cast<std::size_t>(length) > s.size()) {
        ++pos;
        return invalid;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[pos + static_cast<std::size_t>(i)]);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return invalid;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return invalid;
    }
    pos += static_cast<std::size_t>(length);
    return cp;
}

// The Windows-1252 byte for a code point: exact, else best fit, else "?".
char encodeCodePoint(char32_t cp, bool bestFit, bool& exact)
{
    exact = true;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (std::size_t i = 0; i < highControls.size(); ++i)
        if (highControls[i] == cp)
            return static_cast<char>(0x80 + i);
    exact = false;
    if (!bestFit)
        return '?';
    if (cp >= 0x80 && cp <= 0x9F)
        return static_cast<char>(cp);
    if (cp >= 0x100 && cp <= 0x17F)
        return latinExtendedA[cp - 0x100];
    switch (cp) {
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2212:
        return '-';
    case 0x2032:
    case 0x201B:
    case 0x02BC:
        return '\'';
    case 0x2033:
    case 0x201F:
        return '"';
    case 0x2000:
    case 0x2001:
    case 0x2002:
    case 0x2003:
    case 0x2004:
    case 0x2005:
    case 0x2006:
    case 0x2007:
    case 0x2008:
    case 0x2009:
    case 0x200A:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return ' ';
    case 0x2044:
        return '/';
    case 0x2215:
        return '/';
    default:
        return '?';
    }
}

struct CaseTables
{
    std::array<char, 256> upper{};
    std::array<char, 256> lower{};
    CaseTables()
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
        pair(0x8A, 0x9A);
        pair(0x8C, 0x9C);
        pair(0x8E, 0x9E);
        pair(0x9F, 0xFF);
    }
};

const CaseTables caseTables;

} // namespace

std::string toUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else
            appendUtf8(out, decodeByte(b));
    }
    return out;
}

std::string fromUtf8(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            out += utf8[pos++];
            continue;
        }
        const char32_t cp = nextCodePoint(utf8, pos, 4);
        bool exact = false;
        out += cp == invalid ? '?' : encodeCodePoint(cp, true, exact);
    }
    return out;
}

bool representable(std::string_view utf8)
{
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = nextCodePoint(utf8, pos, 4);
        bool exact = false;
        if (cp == invalid)
            return false;
        encodeCodePoint(cp, false, exact);
        if (!exact)
            return false;
    }
    return true;
}

std::string encodeUtf8In8Bit(std::string_view text)
{
    return toUtf8(toUtf8(text));
}

std::string decodeUtf8In8Bit(std::string_view utf8)
{
    const std::string bytes = fromUtf8(utf8);
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        const char32_t cp = nextCodePoint(bytes, pos, 3);
        if (cp == invalid)
            return bytes;
        bool exact = false;
        out += encodeCodePoint(cp, true, exact);
    }
    return out;
}

std::string normalizeLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

char toUpper(char c)
{
    return caseTables.upper[static_cast<unsigned char>(c)];
}

char toLower(char c)
{
    return caseTables.lower[static_cast<unsigned char>(c)];
}

std::string upperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = toUpper(c);
    return out;
}

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = toLower(c);
    return out;
}

int compareText(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(toLower(a[i]));
        const auto y = static_cast<unsigned char>(toLower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool sameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toLower(a[i]) != toLower(b[i]))
            return false;
    return true;
}

} // namespace Windows1252
