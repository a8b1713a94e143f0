#include "Windows1252.h"

#include "LineBreaks.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    "\x8C\x9CRrRrRrSsSsSs\x8A\x9ATtTtTtUuUuUuUuUuUuWwYy\x9FZzZz\x8E\x9Es";
static_assert(latinExtendedA.size() == 128);

constexpr char32_t decodeByte(unsigned char b)
{
    return b >= 0x80 && b < 0xA0 ? highControls[b - 0x80] : b;
}

constexpr int encodeUtf8(char32_t cp, char* out)
{
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

// Per byte: its UTF-8 form (plain conversion) and its UTF-8-in-8-bit form, ready to copy.
struct ByteForms
{
    struct Form
    {
        char bytes[9];
        std::uint8_t length;
    };
    std::array<Form, 256> plain{};
    std::array<Form, 256> doubled{};
    constexpr ByteForms()
    {
        for (int b = 0; b < 256; ++b) {
            Form& p = plain[b];
            p.length =
                static_cast<std::uint8_t>(encodeUtf8(decodeByte(static_cast<unsigned char>(b)), p.bytes));
            Form& d = doubled[b];
            d.length = 0;
            for (int i = 0; i < p.length; ++i)
                d.length = static_cast<std::uint8_t>(
                    d.length +
                    encodeUtf8(decodeByte(static_cast<unsigned char>(p.bytes[i])), d.bytes + d.length));
        }
    }
};
constexpr ByteForms byteForms;

// The length of the ASCII run at the start of `s`, eight bytes at a time.
std::size_t asciiRun(std::string_view s)
{
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (word & 0x8080808080808080ull)
            break;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    return i;
}

// Copies the run of ASCII bytes at `pos` (without line breaks when `crLf`) to `out` and
// moves both past it. Sixteen bytes at a time where the processor allows: each block is
// stored whole, so `out` needs sixteen bytes of room beyond what the text takes.
template <bool crLf> inline void copyAsciiRun(std::string_view text, std::size_t& pos, char*& out)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (pos + 16 <= text.size()) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + pos));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
        const __m128i stop =
            crLf ? _mm_or_si128(v, _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))) : v;
        if (const int mask = _mm_movemask_epi8(stop); mask != 0) {
            const auto run = static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
            pos += run;
            out += run;
            return;
        }
        pos += 16;
        out += 16;
    }
#endif
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80 &&
           (!crLf || (text[pos] != '\r' && text[pos] != '\n')))
        *out++ = text[pos++];
}

// Walks the text: `ascii(pos, length)` for each run of ASCII bytes, which are copied as
// they stand in every conversion, and `other(pos)` at each other byte, which moves `pos`
// past what it takes.
template <typename Ascii, typename Other> void walk(std::string_view text, Ascii ascii, Other other)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t run = asciiRun(text.substr(pos));
        ascii(pos, run);
        pos += run;
        if (pos < text.size())
            other(pos);
    }
}

// Writes every byte of `text` through `forms`; the exact size is counted first.
std::string expand(std::string_view text, const std::array<ByteForms::Form, 256>& forms)
{
    std::size_t size = 0;
    walk(
        text, [&](std::size_t, std::size_t run) { size += run; },
        [&](std::size_t& pos) { size += forms[static_cast<unsigned char>(text[pos++])].length; });
    std::string out(size, '\0');
    char* w = out.data();
    walk(
        text,
        [&](std::size_t pos, std::size_t run) {
            std::memcpy(w, text.data() + pos, run);
            w += run;
        },
        [&](std::size_t& pos) {
            const auto& form = forms[static_cast<unsigned char>(text[pos++])];
            std::memcpy(w, form.bytes, form.length);
            w += form.length;
        });
    return out;
}

constexpr char32_t invalid = 0xFFFFFFFF;

// Decodes one UTF-8 sequence of at most `maxLength` bytes at `pos`, strictly (no overlong
// forms, no surrogates); advances `pos` by one byte on an invalid sequence.
inline char32_t nextCodePoint(std::string_view s, std::size_t& pos, int maxLength)
{
    const unsigned char b = static_cast<unsigned char>(s[pos]);
    // Two-byte sequences are by far the most common in pack texts: decoded directly.
    if (b >= 0xC2 && b < 0xE0 && pos + 1 < s.size() &&
        (static_cast<unsigned char>(s[pos + 1]) & 0xC0) == 0x80) {
        const char32_t cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(s[pos + 1]) & 0x3Fu);
        pos += 2;
        return cp;
    }
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

// The Windows-1252 byte for a code point above U+00FF, or 0 when it has none.
char exactHigh(char32_t cp)
{
    switch (cp) {
    case 0x20AC:
        return '\x80';
    case 0x201A:
        return '\x82';
    case 0x0192:
        return '\x83';
    case 0x201E:
        return '\x84';
    case 0x2026:
        return '\x85';
    case 0x2020:
        return '\x86';
    case 0x2021:
        return '\x87';
    case 0x02C6:
        return '\x88';
    case 0x2030:
        return '\x89';
    case 0x0160:
        return '\x8A';
    case 0x2039:
        return '\x8B';
    case 0x0152:
        return '\x8C';
    case 0x017D:
        return '\x8E';
    case 0x2018:
        return '\x91';
    case 0x2019:
        return '\x92';
    case 0x201C:
        return '\x93';
    case 0x201D:
        return '\x94';
    case 0x2022:
        return '\x95';
    case 0x2013:
        return '\x96';
    case 0x2014:
        return '\x97';
    case 0x02DC:
        return '\x98';
    case 0x2122:
        return '\x99';
    case 0x0161:
        return '\x9A';
    case 0x203A:
        return '\x9B';
    case 0x0153:
        return '\x9C';
    case 0x017E:
        return '\x9E';
    case 0x0178:
        return '\x9F';
    default:
        return 0;
    }
}

// The Windows-1252 byte for a code point: exact, else best fit, else "?". The C1 controls
// keep their byte, as the platform's own best-fit table does.
inline char encodeCodePoint(char32_t cp)
{
    if (cp <= 0xFF)
        return static_cast<char>(cp);
    if (const char exact = exactHigh(cp))
        return exact;
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
    case 0x2215:
        return '/';
    default:
        return '?';
    }
}

bool exactlyRepresentable(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return true;
    return exactHigh(cp) != 0 || cp == 0x81 || cp == 0x8D || cp == 0x8F || cp == 0x90 || cp == 0x9D;
}

} // namespace

std::string toUtf8(std::string_view text)
{
    return expand(text, byteForms.plain);
}

namespace {

// Makes `out` `size` bytes long for a writer that fills it and then cuts it to what it wrote.
// A string that is reused keeps its memory, so only the bytes beyond its last length are
// filled.
// At least `size` bytes to write at out.data(); a string long enough already is not filled.
char* room(std::string& out, std::size_t size)
{
    if (out.size() < size)
        out.resize(size);
    return out.data();
}

// The plain conversion back, written to `out`; returns the number of bytes written, which
// is never more than the input's.
// `bytesLost` only for characters that give no byte of their own: the C1 controls keep their
// byte, which is what counts where the bytes are read as UTF-8 again.
std::size_t fromUtf8To(std::string_view utf8, char* out, bool& lost, bool& bytesLost)
{
    char* w = out;
    walk(
        utf8,
        [&](std::size_t pos, std::size_t run) {
            std::memcpy(w, utf8.data() + pos, run);
            w += run;
        },
        [&](std::size_t& pos) {
            const char32_t cp = nextCodePoint(utf8, pos, 4);
            lost |= cp == invalid || !exactlyRepresentable(cp);
            bytesLost |= cp == invalid || (cp > 0xFF && !exactlyRepresentable(cp));
            *w++ = cp == invalid ? '?' : encodeCodePoint(cp);
        });
    return static_cast<std::size_t>(w - out);
}

std::size_t fromUtf8To(std::string_view utf8, char* out, bool& lost)
{
    bool bytesLost = false;
    return fromUtf8To(utf8, out, lost, bytesLost);
}

} // namespace

std::string fromUtf8(std::string_view utf8)
{
    bool lost = false;
    return fromUtf8(utf8, lost);
}

std::string fromUtf8(std::string_view utf8, bool& lost)
{
    std::string out;
    fromUtf8Into(utf8, out, lost);
    return out;
}

void fromUtf8Into(std::string_view utf8, std::string& out, bool& lost)
{
    out.resize(fromUtf8To(utf8, room(out, utf8.size()), lost));
}

bool representable(std::string_view utf8)
{
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = nextCodePoint(utf8, pos, 4);
        if (cp == invalid || !exactlyRepresentable(cp))
            return false;
    }
    return true;
}

int exactByte(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<int>(character);
    if (const char exact = exactHigh(character))
        return static_cast<unsigned char>(exact);
    return exactlyRepresentable(character) ? static_cast<int>(character) : -1;
}

std::string_view utf8Form(unsigned char byte, bool doubled)
{
    const auto& form = doubled ? byteForms.doubled[byte] : byteForms.plain[byte];
    return {form.bytes, form.length};
}

std::string encodeUtf8In8Bit(std::string_view text)
{
    return expand(text, byteForms.doubled);
}

namespace {

// The two-pass decoding into `out`: the whole text converted plainly, then those bytes
// decoded as UTF-8; a text that is no such UTF-8 keeps its plain form.
template <bool crLf> std::size_t decodeInTwoPasses(std::string_view utf8, std::string& out, bool& lost)
{
    std::string bytes(utf8.size(), '\0');
    // What the plain conversion replaces counts by the form the text turns out in: as the plain
    // text every replaced character, as UTF-8 only those that changed a byte.
    bool plainLost = false;
    bool bytesLost = false;
    bytes.resize(fromUtf8To(utf8, bytes.data(), plainLost, bytesLost));
    char* const start = room(out, bytes.size() * (crLf ? 2 : 1));
    char* w = start;
    // What the decoding of the bytes replaces counts only if the bytes turn out to be UTF-8.
    bool decodedLost = false;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const char c = bytes[pos];
        if (static_cast<unsigned char>(c) >= 0x80) {
            const char32_t cp = nextCodePoint(bytes, pos, 3);
            if (cp != invalid)
                decodedLost |= !exactlyRepresentable(cp);
            if (cp == invalid) {
                out = crLf ? LineBreaks::normalize(bytes, LineBreaks::crLf) : std::move(bytes);
                lost |= plainLost;
                return out.size();
            }
            *w++ = encodeCodePoint(cp);
        } else if (const std::size_t lineBreak = crLf ? LineBreaks::at(bytes, pos) : 0) {
            *w++ = '\r';
            *w++ = '\n';
            pos += lineBreak;
        } else {
            *w++ = c;
            ++pos;
        }
    }
    out.resize(static_cast<std::size_t>(w - start));
    lost |= bytesLost || decodedLost;
    return out.size();
}

// UTF-8-in-8-bit decoding in one pass to `start`, which has room for twice the text and
// sixteen bytes, optionally making every line break CR LF; returns the decoded length. Each
// character of the element text stands for one byte of the UTF-8 form. Anything unusual goes
// to the two-pass decoding, which decides exactly.
template <bool crLf> std::size_t decodeDoubledTo(std::string_view utf8, char* const start, bool& lost)
{
    // What this pass replaces counts only if it decodes the whole text; the two-pass decoding
    // decides afresh otherwise.
    bool replaced = false;
    char* w = start;
    // The two-pass decoding writes no more than twice the text either.
    auto inTwoPasses = [&utf8, start, &lost] {
        std::string decoded;
        decodeInTwoPasses<crLf>(utf8, decoded, lost);
        std::memcpy(start, decoded.data(), decoded.size());
        return decoded.size();
    };
    // The byte the next character stands for; 0 where it stands for none in the plain way.
    auto nextByte = [&utf8](std::size_t& pos) -> unsigned {
        if (pos >= utf8.size())
            return 0;
        const char32_t cp = nextCodePoint(utf8, pos, 4);
        if (cp == invalid)
            return 0;
        if (cp <= 0xFF)
            return cp;
        return static_cast<unsigned char>(exactHigh(cp));
    };
    for (std::size_t pos = 0; pos < utf8.size();) {
        // Most of a text is ASCII without line breaks: copied a run at a time.
        copyAsciiRun<crLf>(utf8, pos, w);
        if (pos == utf8.size())
            break;
        const char c = utf8[pos];
        if (static_cast<unsigned char>(c) < 0x80) {
            const std::size_t lineBreak = crLf ? LineBreaks::at(utf8, pos) : 0;
            if (lineBreak == 0) {
                *w++ = c;
                ++pos;
                continue;
            }
            *w++ = '\r';
            *w++ = '\n';
            pos += lineBreak;
            continue;
        }
        // The doubled form of most letters: two characters of U+0080 to U+00FF, each of two
        // bytes, standing for a lead and a continuation byte.
        if (pos + 3 < utf8.size()) {
            const auto byte = [&utf8, pos](std::size_t i) {
                return static_cast<unsigned char>(utf8[pos + i]);
            };
            if ((byte(0) & 0xFE) == 0xC2 && (byte(1) & 0xC0) == 0x80 && (byte(2) & 0xFE) == 0xC2 &&
                (byte(3) & 0xC0) == 0x80) {
                const unsigned lead = ((byte(0) & 0x1Fu) << 6) | (byte(1) & 0x3Fu);
                const unsigned continuation = ((byte(2) & 0x1Fu) << 6) | (byte(3) & 0x3Fu);
                if (lead >= 0xC2 && lead < 0xE0 && (continuation & 0xC0) == 0x80) {
                    const char32_t cp = ((lead & 0x1Fu) << 6) | (continuation & 0x3Fu);
                    replaced |= !exactlyRepresentable(cp);
                    *w++ = encodeCodePoint(cp);
                    pos += 4;
                    continue;
                }
            }
        }
        const unsigned lead = nextByte(pos);
        char32_t cp = 0;
        if (lead >= 0xC2 && lead < 0xE0) {
            const unsigned b1 = nextByte(pos);
            if ((b1 & 0xC0) != 0x80)
                return inTwoPasses();
            cp = ((lead & 0x1Fu) << 6) | (b1 & 0x3Fu);
        } else if (lead >= 0xE0 && lead < 0xF0) {
            const unsigned b1 = nextByte(pos);
            const unsigned b2 = (b1 & 0xC0) == 0x80 ? nextByte(pos) : 0;
            if ((b2 & 0xC0) != 0x80)
                return inTwoPasses();
            cp = ((lead & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
                return inTwoPasses();
        } else {
            return inTwoPasses();
        }
        replaced |= !exactlyRepresentable(cp);
        *w++ = encodeCodePoint(cp);
    }
    lost |= replaced;
    return static_cast<std::size_t>(w - start);
}

// The same into the start of `out`, which may be longer: a buffer that takes text after text
// is never filled anew.
template <bool crLf> std::size_t decodeDoubled(std::string_view utf8, std::string& out, bool& lost)
{
    return decodeDoubledTo<crLf>(utf8, room(out, utf8.size() * 2 + 16), lost);
}

} // namespace

std::string decodeUtf8In8Bit(std::string_view utf8)
{
    std::string out;
    bool lost = false;
    out.resize(decodeDoubled<false>(utf8, out, lost));
    return out;
}

std::string decodeText(std::string_view utf8)
{
    std::string out;
    bool lost = false;
    out.resize(decodeDoubled<true>(utf8, out, lost));
    return out;
}

std::size_t decodeTextTo(std::string_view utf8, char* out, bool& lost)
{
    return decodeDoubledTo<true>(utf8, out, lost);
}

std::string_view decodeTextInto(std::string_view utf8, std::string& out, bool& lost)
{
    const std::size_t length = decodeDoubled<true>(utf8, out, lost);
    return {out.data(), length};
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

} // namespace Windows1252
