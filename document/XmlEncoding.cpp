#include "XmlEncoding.h"

#include "Windows1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

const char* FileEncoding::name() const
{
    switch (kind) {
    case utf16le:
        return "UTF-16LE";
    case utf16be:
        return "UTF-16BE";
    case latin1:
        return "ISO-8859-1";
    case windows1252:
        return "windows-1252";
    case utf8:
        break;
    }
    return "UTF-8";
}

namespace XmlEncoding {
namespace {

// How the first characters of a file are laid out in bytes, before the encoding is known.
enum class Layout { bytes, utf16le, utf16be, utf32le, utf32be };

bool startsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

// The first characters of the file as far as they are ASCII: enough for a declaration.
std::string asciiStart(std::string_view bytes, Layout layout)
{
    const std::size_t unit = layout == Layout::bytes                                  ? 1
                             : layout == Layout::utf16le || layout == Layout::utf16be ? 2
                                                                                      : 4;
    const bool bigEndian = layout == Layout::utf16be || layout == Layout::utf32be;
    std::string out;
    for (std::size_t pos = 0; pos + unit <= bytes.size() && out.size() < 512; pos += unit) {
        std::uint32_t c = 0;
        for (std::size_t i = 0; i < unit; ++i) {
            const auto b = static_cast<unsigned char>(bytes[pos + (bigEndian ? i : unit - 1 - i)]);
            c = (c << 8) | b;
        }
        if (c == 0 || c >= 0x80)
            break;
        out += static_cast<char>(c);
    }
    return out;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The XML declaration at the start of `text`, read by its grammar:
// '<?xml' version ('encoding' name)? ('standalone' yes|no)? '?>'.
class Declaration
{
public:
    explicit Declaration(std::string_view declaration) : text(declaration) {}

    // Whether the text starts with a declaration at all ("<?xml-stylesheet" does not).
    bool present() const
    {
        return startsWith(text, "<?xml") && text.size() > 5 && (isSpace(text[5]) || text[5] == '?');
    }

    // The declared encoding ("" without one), or nothing when the declaration is malformed.
    std::optional<std::string> encoding()
    {
        pos = 5;
        std::string version, name, standalone;
        if (!pseudoAttribute("version", version) || !isVersion(version))
            return std::nullopt;
        const std::size_t afterVersion = pos;
        if (!pseudoAttribute("encoding", name)) {
            pos = afterVersion;
            name.clear();
        } else if (!isEncodingName(name)) {
            return std::nullopt;
        }
        const std::size_t afterEncoding = pos;
        if (!pseudoAttribute("standalone", standalone))
            pos = afterEncoding;
        else if (standalone != "yes" && standalone != "no")
            return std::nullopt;
        skipSpace();
        if (text.substr(pos, 2) != "?>")
            return std::nullopt;
        return name;
    }

private:
    bool skipSpace()
    {
        const std::size_t start = pos;
        while (pos < text.size() && isSpace(text[pos]))
            ++pos;
        return pos > start;
    }

    // S name S? '=' S? quoted value
    bool pseudoAttribute(std::string_view name, std::string& value)
    {
        if (!skipSpace() || text.substr(pos, name.size()) != name)
            return false;
        pos += name.size();
        skipSpace();
        if (pos >= text.size() || text[pos] != '=')
            return false;
        ++pos;
        skipSpace();
        if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\''))
            return false;
        const char quote = text[pos++];
        const std::size_t end = text.find(quote, pos);
        if (end == std::string_view::npos)
            return false;
        value = text.substr(pos, end - pos);
        pos = end + 1;
        return true;
    }

    static bool isVersion(std::string_view v)
    {
        return v.size() > 2 && startsWith(v, "1.") &&
               std::all_of(v.begin() + 2, v.end(), [](char c) { return c >= '0' && c <= '9'; });
    }

    static bool isEncodingName(std::string_view n)
    {
        auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
        return !n.empty() && letter(n[0]) && std::all_of(n.begin(), n.end(), [&](char c) {
            return letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        });
    }

    std::string_view text;
    std::size_t pos = 0;
};

enum class Named { none, utf8, utf16, utf16le, utf16be, latin1, windows1252, other };

Named named(const std::string& name)
{
    const std::string n = lowerAscii(name);
    if (n.empty())
        return Named::none;
    if (n == "utf-8" || n == "utf8")
        return Named::utf8;
    if (n == "utf-16" || n == "utf16")
        return Named::utf16;
    if (n == "utf-16le")
        return Named::utf16le;
    if (n == "utf-16be")
        return Named::utf16be;
    if (n == "iso-8859-1" || n == "iso_8859-1" || n == "iso_8859_1" || n == "latin1" || n == "latin-1")
        return Named::latin1;
    if (n == "windows-1252" || n == "cp1252")
        return Named::windows1252;
    return Named::other;
}

std::string unsupported(const std::string& name)
{
    return "verwendet die Zeichenkodierung \"" + name + "\", die nicht unterstützt wird.";
}

// The encoding of a UTF-16 file: the declaration may name UTF-16 or the byte order found.
void decideUtf16(Detection& d, const std::string& declared, bool bigEndian, bool byteOrderMark)
{
    const Named n = named(declared);
    d.encoding = {bigEndian ? FileEncoding::utf16be : FileEncoding::utf16le, byteOrderMark};
    const bool fits = n == Named::utf16 || (n == Named::utf16le && !bigEndian) ||
                      (n == Named::utf16be && bigEndian) || (n == Named::none && byteOrderMark);
    if (fits)
        return;
    if (n == Named::other)
        d.problem = unsupported(declared);
    else
        d.problem = "ist als " + (declared.empty() ? std::string("UTF-8") : declared) +
                    " deklariert, aber als " + d.encoding.name() + " kodiert.";
}

// The encoding of a file whose first characters are single bytes.
void decideBytes(Detection& d, const std::string& declared, bool byteOrderMark)
{
    switch (named(declared)) {
    case Named::none:
    case Named::utf8:
        d.encoding = {FileEncoding::utf8, byteOrderMark};
        return;
    case Named::latin1:
    case Named::windows1252:
        if (byteOrderMark) {
            d.problem = "ist als " + declared + " deklariert, beginnt aber mit der Kennung von UTF-8.";
            return;
        }
        d.encoding = {named(declared) == Named::latin1 ? FileEncoding::latin1 : FileEncoding::windows1252,
                      false};
        return;
    case Named::utf16:
    case Named::utf16le:
    case Named::utf16be:
        d.problem = "ist als " + declared + " deklariert, aber nicht so kodiert.";
        return;
    case Named::other:
        d.problem = unsupported(declared);
        return;
    }
}

} // namespace

Detection detect(std::string_view bytes)
{
    Layout layout = Layout::bytes;
    Detection d;
    if (startsWith(bytes, std::string_view("\xFF\xFE\0\0", 4)))
        layout = Layout::utf32le, d.byteOrderMarkLength = 4;
    else if (startsWith(bytes, std::string_view("\0\0\xFE\xFF", 4)))
        layout = Layout::utf32be, d.byteOrderMarkLength = 4;
    else if (startsWith(bytes, "\xFF\xFE"))
        layout = Layout::utf16le, d.byteOrderMarkLength = 2;
    else if (startsWith(bytes, "\xFE\xFF"))
        layout = Layout::utf16be, d.byteOrderMarkLength = 2;
    else if (startsWith(bytes, "\xEF\xBB\xBF"))
        d.byteOrderMarkLength = 3;
    else if (startsWith(bytes, std::string_view("<\0?\0", 4)))
        layout = Layout::utf16le;
    else if (startsWith(bytes, std::string_view("\0<\0?", 4)))
        layout = Layout::utf16be;
    else if (startsWith(bytes, std::string_view("<\0\0\0", 4)))
        layout = Layout::utf32le;
    else if (startsWith(bytes, std::string_view("\0\0\0<", 4)))
        layout = Layout::utf32be;

    const std::string start = asciiStart(bytes.substr(d.byteOrderMarkLength), layout);
    Declaration declaration(start);
    // The common slip of a blank line before the declaration, named before its encoding
    // would be mistaken.
    if (const std::size_t first = start.find_first_not_of(" \t\r\n");
        first > 0 && first != std::string::npos && Declaration(start.substr(first)).present()) {
        const auto lines =
            std::count(start.begin(), start.begin() + static_cast<std::ptrdiff_t>(first), '\n');
        const std::size_t lineStart = start.rfind('\n', first);
        const std::size_t column = lineStart == std::string::npos ? first + 1 : first - lineStart;
        d.problem = "ist kein gültiges XML: XML-Deklaration nur am Anfang der Datei erlaubt (Zeile " +
                    std::to_string(lines + 1) + ", Spalte " + std::to_string(column) + ")";
        return d;
    }
    std::string declared;
    if (declaration.present()) {
        d.declaration = true;
        const std::optional<std::string> encoding = declaration.encoding();
        if (!encoding) {
            d.problem = "ist kein gültiges XML: fehlerhafte XML-Deklaration am Anfang der Datei";
            return d;
        }
        declared = *encoding;
    }
    const bool byteOrderMark = d.byteOrderMarkLength > 0;
    switch (layout) {
    case Layout::utf32le:
    case Layout::utf32be:
        d.problem = unsupported(declared.empty() ? "UTF-32" : declared);
        break;
    case Layout::utf16le:
    case Layout::utf16be:
        decideUtf16(d, declared, layout == Layout::utf16be, byteOrderMark);
        break;
    case Layout::bytes:
        decideBytes(d, declared, byteOrderMark);
        break;
    }
    return d;
}

namespace {

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string hex(char32_t c)
{
    constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4)
        out += digits[(c >> shift) & 0xF];
    return out;
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& problem)
{
    std::string out;
    out.reserve(bytes.size() / 2 * 3);
    auto unit = [&](std::size_t pos) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[pos]);
        const auto b = static_cast<unsigned char>(bytes[pos + 1]);
        return bigEndian ? (a << 8) | b : (b << 8) | a;
    };
    std::size_t pos = 0;
    for (; pos + 2 <= bytes.size(); pos += 2) {
        char32_t c = unit(pos);
        if (c >= 0xD800 && c <= 0xDBFF && pos + 4 <= bytes.size()) {
            const char32_t low = unit(pos + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                pos += 2;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            problem = "einzelnes UTF-16-Ersatzzeichen U+" + hex(c);
            return out;
        }
        appendUtf8(out, c);
    }
    if (pos < bytes.size())
        problem = "unvollständiges UTF-16-Zeichen am Ende der Datei";
    return out;
}

} // namespace

std::string toUtf8(std::string_view bytes, FileEncoding encoding, std::string& problem)
{
    switch (encoding.kind) {
    case FileEncoding::utf16le:
    case FileEncoding::utf16be:
        return utf16ToUtf8(bytes, encoding.kind == FileEncoding::utf16be, problem);
    case FileEncoding::latin1:
    case FileEncoding::windows1252: {
        std::string out;
        out.reserve(bytes.size() * 2);
        for (const char b : bytes) {
            const auto byte = static_cast<unsigned char>(b);
            if (encoding.kind == FileEncoding::latin1) {
                appendUtf8(out, byte);
                continue;
            }
            const std::string_view form = Windows1252::utf8Form(byte, false);
            out += form;
        }
        return out;
    }
    case FileEncoding::utf8:
        break;
    }
    return std::string(bytes);
}

bool holds(FileEncoding encoding, char32_t c)
{
    switch (encoding.kind) {
    case FileEncoding::latin1:
        return c <= 0xFF;
    case FileEncoding::windows1252:
        return (c < 0x80 || c >= 0xA0) && Windows1252::exactByte(c) >= 0;
    default:
        return true;
    }
}

char32_t nextCharacter(std::string_view utf8, std::size_t& pos)
{
    const auto b = static_cast<unsigned char>(utf8[pos]);
    const std::size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (std::size_t i = 1; i < length && pos + i < utf8.size(); ++i)
        c = (c << 6) | (static_cast<unsigned char>(utf8[pos + i]) & 0x3F);
    pos += length;
    return c;
}

std::string fromUtf8(std::string_view utf8, FileEncoding encoding)
{
    std::string out;
    if (encoding.kind == FileEncoding::utf8) {
        out.reserve(utf8.size() + 3);
        if (encoding.byteOrderMark)
            out = "\xEF\xBB\xBF";
        out += utf8;
        return out;
    }
    if (encoding.eightBit()) {
        out.reserve(utf8.size());
        for (std::size_t pos = 0; pos < utf8.size();) {
            const auto b = static_cast<unsigned char>(utf8[pos]);
            if (b < 0x80) {
                out += utf8[pos++];
                continue;
            }
            const char32_t c = nextCharacter(utf8, pos);
            if (!holds(encoding, c))
                out += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
            else
                out +=
                    static_cast<char>(encoding.kind == FileEncoding::latin1 ? c : Windows1252::exactByte(c));
        }
        return out;
    }
    const bool bigEndian = encoding.kind == FileEncoding::utf16be;
    out.reserve(2 + utf8.size() * 2);
    auto unit = [&out, bigEndian](char32_t u) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    // A UTF-16 file is written with its byte-order mark, which XML asks of UTF-16.
    unit(0xFEFF);
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t c = nextCharacter(utf8, pos);
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

} // namespace XmlEncoding
