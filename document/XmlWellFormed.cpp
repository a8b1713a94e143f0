#include "XmlWellFormed.h"

#include <pugixml.hpp>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace XmlWellFormed {
namespace {

constexpr std::size_t none = std::string_view::npos;

// The length of a character a block check flags although it is fine and common: a tab,
// line feed or carriage return, or a well-formed character of three bytes (the doubled
// form of € and of most quotation marks has one); 0 for any other.
inline std::size_t commonCharacter(const char* data, std::size_t at, std::size_t n)
{
    const auto b = static_cast<unsigned char>(data[at]);
    if (b == '\t' || b == '\n' || b == '\r')
        return 1;
    if (b < 0xE0 || b >= 0xF0 || at + 2 >= n)
        return 0;
    const auto second = static_cast<unsigned char>(data[at + 1]);
    const auto third = static_cast<unsigned char>(data[at + 2]);
    if ((second & 0xC0) != 0x80 || (third & 0xC0) != 0x80)
        return 0;
    // No overlong forms, no surrogates, no U+FFFE and U+FFFF.
    const bool fine = (b != 0xE0 || second >= 0xA0) && (b != 0xED || second < 0xA0) &&
                      (b != 0xEF || second != 0xBF || third < 0xBE);
    return fine ? 3 : 0;
}

// Takes the first byte a block check flagged in the block at `i` (`found` holds one bit per
// byte): the place to look at when it is no common character, or `none` with `i` moved past it.
inline std::size_t stepOverFlagged(const char* data, std::uint32_t found, std::size_t& i, std::size_t n)
{
    const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(found));
    const std::size_t length = commonCharacter(data, at, n);
    // A continuation byte right after the character has no lead byte.
    if (length == 0 || (at + length < n && static_cast<signed char>(data[at + length]) < -64))
        return length == 0 ? at : at + length;
    i = at + length;
    return none;
}

// The block checks below flag, thirty-two bytes at a time while thirty-three remain, the
// bytes that need a look, `next` being the bytes one further on: a control character, the
// "&" of "&#", a lead byte of two bytes not followed by a continuation byte or any other
// byte followed by one, and a byte from 0x80 on that is neither. They step over the common
// characters among them and return the place of the first other flagged byte, or `none`
// with `i` where they stopped. As signed bytes,
// continuation bytes 0x80-0xBF lie below -64 and the leads 0xC2-0xDF between -63 and -32.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KORVEL_AVX2_BLOCKS 1
__attribute__((target("avx2"))) std::size_t flaggedByteAvx2(const char* data, std::size_t& i, std::size_t n)
{
    const __m256i zero = _mm256_setzero_si256(), space = _mm256_set1_epi8(0x20);
    const __m256i amp = _mm256_set1_epi8('&'), hash = _mm256_set1_epi8('#');
    const __m256i continuationEnd = _mm256_set1_epi8(-64), leadStart = _mm256_set1_epi8(-63);
    const __m256i leadEnd = _mm256_set1_epi8(-32);
    while (i + 33 <= n) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + 1));
        const __m256i lead = _mm256_and_si256(_mm256_cmpgt_epi8(v, leadStart), _mm256_cmpgt_epi8(leadEnd, v));
        const __m256i continuation = _mm256_cmpgt_epi8(continuationEnd, v);
        const __m256i negative = _mm256_cmpgt_epi8(zero, v);
        const __m256i pairing = _mm256_xor_si256(lead, _mm256_cmpgt_epi8(continuationEnd, next));
        const __m256i other = _mm256_andnot_si256(_mm256_or_si256(lead, continuation), negative);
        const __m256i control = _mm256_andnot_si256(negative, _mm256_cmpgt_epi8(space, v));
        const __m256i reference = _mm256_and_si256(_mm256_cmpeq_epi8(v, amp), _mm256_cmpeq_epi8(next, hash));
        const auto found = static_cast<std::uint32_t>(_mm256_movemask_epi8(
            _mm256_or_si256(_mm256_or_si256(pairing, other), _mm256_or_si256(control, reference))));
        if (found == 0) {
            i += 32;
            continue;
        }
        if (const std::size_t at = stepOverFlagged(data, found, i, n); at != none)
            return at;
    }
    return none;
}
#endif

std::size_t flaggedByte(const char* data, std::size_t& i, std::size_t n)
{
#if defined(KORVEL_AVX2_BLOCKS)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return flaggedByteAvx2(data, i, n);
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), space = _mm_set1_epi8(0x20);
    const __m128i amp = _mm_set1_epi8('&'), hash = _mm_set1_epi8('#');
    const __m128i continuationEnd = _mm_set1_epi8(-64), leadStart = _mm_set1_epi8(-63);
    const __m128i leadEnd = _mm_set1_epi8(-32);
    const auto flags = [&](__m128i v, __m128i next) {
        const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(v, leadStart), _mm_cmplt_epi8(v, leadEnd));
        const __m128i continuation = _mm_cmplt_epi8(v, continuationEnd);
        const __m128i negative = _mm_cmplt_epi8(v, zero);
        const __m128i pairing = _mm_xor_si128(lead, _mm_cmplt_epi8(next, continuationEnd));
        const __m128i other = _mm_andnot_si128(_mm_or_si128(lead, continuation), negative);
        const __m128i control = _mm_andnot_si128(negative, _mm_cmplt_epi8(v, space));
        const __m128i reference = _mm_and_si128(_mm_cmpeq_epi8(v, amp), _mm_cmpeq_epi8(next, hash));
        return static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(pairing, other), _mm_or_si128(control, reference))));
    };
    const auto load = [data](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    };
    while (i + 33 <= n) {
        const std::uint32_t found = flags(load(i), load(i + 1)) | flags(load(i + 16), load(i + 17)) << 16;
        if (found == 0) {
            i += 32;
            continue;
        }
        if (const std::size_t at = stepOverFlagged(data, found, i, n); at != none)
            return at;
    }
#else
    (void)data, (void)n;
#endif
    return none;
}

// The first place from `i` on that the check must look at itself, at a character's start:
// a control character, the "&" of "&#", a character of three or four bytes, or a byte that
// cannot stand where it does. ASCII and two-byte sequences, nearly all of a pack, pass a
// block at a time. Returns `n` when there is no such place.
std::size_t nextNotice(const char* data, std::size_t i, std::size_t n)
{
    const std::size_t start = i;
    // `i` starts a character: a continuation byte there has no lead byte.
    if (i < n && static_cast<signed char>(data[i]) < -64)
        return i;
    if (const std::size_t at = flaggedByte(data, i, n); at != none) {
        // The second byte of a sequence is flagged for a stray byte after it; the character
        // to look at then starts at its lead byte.
        const auto before = static_cast<unsigned char>(data[at - (at > start ? 1 : 0)]);
        return at > start && static_cast<signed char>(data[at]) < -64 && before >= 0xC2 && before < 0xE0
                   ? at - 1
                   : at;
    }
    // A continuation byte where the blocks stopped was checked with its lead byte before it.
    if (i > start && i < n && static_cast<signed char>(data[i]) < -64 &&
        static_cast<unsigned char>(data[i - 1]) >= 0xC2 && static_cast<unsigned char>(data[i - 1]) < 0xE0)
        --i;
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x80 || c < 0x20 || c == '&')
            return i;
    }
    return n;
}

bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

std::string codePoint(char32_t c)
{
    constexpr char digits[] = "0123456789ABCDEF";
    std::string out = "U+";
    for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4)
        out += digits[(c >> shift) & 0xF];
    return out;
}

// The length of the strictly valid UTF-8 sequence at `pos` (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0.
inline std::size_t utf8Sequence(std::string_view s, std::size_t pos, char32_t& c)
{
    const auto b = static_cast<unsigned char>(s[pos]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (b >= 0xC2 && b < 0xE0)
        length = 2, c = b & 0x1F, minimum = 0x80;
    else if (b >= 0xE0 && b < 0xF0)
        length = 3, c = b & 0x0F, minimum = 0x800;
    else if (b >= 0xF0 && b < 0xF5)
        length = 4, c = b & 0x07, minimum = 0x10000;
    if (length == 0 || pos + length > s.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(s[pos + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

// The length of the character reference at `pos` ("&#..."), or 0 when it is malformed or
// names no character XML allows; `span` is how far it reaches as written.
std::size_t referenceLength(std::string_view text, std::size_t pos, std::size_t& span)
{
    std::size_t end = pos + 2;
    const bool hexadecimal = end < text.size() && text[end] == 'x';
    if (hexadecimal)
        ++end;
    char32_t value = 0;
    std::size_t digits = 0;
    for (; end < text.size(); ++end, ++digits) {
        const char c = text[end];
        const int digit = c >= '0' && c <= '9'                  ? c - '0'
                          : hexadecimal && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hexadecimal && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                : -1;
        if (digit < 0)
            break;
        value = std::min<char32_t>(value * (hexadecimal ? 16 : 10) + static_cast<char32_t>(digit), 0x110000);
    }
    const bool closed = end < text.size() && text[end] == ';';
    span = (closed ? end + 1 : end) - pos;
    return digits > 0 && closed && isXmlCharacter(value) ? end + 1 - pos : 0;
}

bool inRanges(char32_t c, std::initializer_list<std::pair<char32_t, char32_t>> ranges)
{
    return std::any_of(ranges.begin(), ranges.end(),
                       [c](const auto& r) { return c >= r.first && c <= r.second; });
}

bool isNameStart(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
    return inRanges(c, {{0xC0, 0xD6},
                        {0xD8, 0xF6},
                        {0xF8, 0x2FF},
                        {0x370, 0x37D},
                        {0x37F, 0x1FFF},
                        {0x200C, 0x200D},
                        {0x2070, 0x218F},
                        {0x2C00, 0x2FEF},
                        {0x3001, 0xD7FF},
                        {0xF900, 0xFDCF},
                        {0xFDF0, 0xFFFD},
                        {0x10000, 0xEFFFF}});
}

bool isNamePart(char32_t c)
{
    if (isNameStart(c))
        return true;
    if (c < 0x80)
        return (c >= '0' && c <= '9') || c == '-' || c == '.';
    return c == 0xB7 || inRanges(c, {{0x300, 0x36F}, {0x203F, 0x2040}});
}

// The problem at the start of the node's markup (pugixml gives the place of its name or text).
Problem at(const pugi::xml_node& node, std::string what)
{
    std::ptrdiff_t offset = node.offset_debug();
    const std::ptrdiff_t markup = node.type() == pugi::node_element                                       ? 1
                                  : node.type() == pugi::node_pi || node.type() == pugi::node_declaration ? 2
                                  : node.type() == pugi::node_comment                                     ? 4
                                  : node.type() == pugi::node_cdata                                       ? 9
                                                                                                          : 0;
    if (offset >= markup)
        offset -= markup;
    return {std::move(what), offset};
}

bool sameAttributeTwice(const pugi::xml_node& element)
{
    std::vector<std::string_view> names;
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
        names.emplace_back(a.name());
    if (names.size() <= 8) {
        for (std::size_t i = 0; i < names.size(); ++i)
            for (std::size_t j = i + 1; j < names.size(); ++j)
                if (names[i] == names[j])
                    return true;
        return false;
    }
    std::sort(names.begin(), names.end());
    return std::adjacent_find(names.begin(), names.end()) != names.end();
}

// The rules for one node; `depth` counts the elements from the root (1) down to it.
Problem checkNode(const pugi::xml_node& node, int depth)
{
    switch (node.type()) {
    case pugi::node_element:
        if (depth > maxDepth)
            return at(node, "Elemente mehr als " + std::to_string(maxDepth) + " Ebenen tief verschachtelt");
        if (!isName(node.name()))
            return at(node, "ungültiger Name \"" + std::string(node.name()) + "\"");
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
            if (!isName(a.name()))
                return at(node, "ungültiger Name \"" + std::string(a.name()) + "\"");
        if (node.first_attribute() && node.first_attribute().next_attribute() && sameAttributeTwice(node))
            return at(node, "ein Attribut steht zweimal im Element \"" + std::string(node.name()) + "\"");
        return {};
    case pugi::node_comment: {
        const std::string_view text = node.value();
        if (text.find("--") != std::string_view::npos || text.ends_with('-'))
            return at(node, "\"--\" in einem Kommentar");
        return {};
    }
    case pugi::node_pi: {
        const std::string_view name = node.name();
        if (!isName(name))
            return at(node, "ungültiger Name \"" + std::string(name) + "\"");
        if (name.size() == 3 && (name[0] | 0x20) == 'x' && (name[1] | 0x20) == 'm' && (name[2] | 0x20) == 'l')
            return at(node,
                      "Verarbeitungsanweisung mit dem reservierten Namen \"" + std::string(name) + "\"");
        return {};
    }
    default:
        return {};
    }
}

Problem checkSubtree(const pugi::xml_node& root, const pugi::xml_node& dropped)
{
    pugi::xml_node node = root;
    int depth = 1;
    for (;;) {
        if (Problem p = checkNode(node, depth))
            return p;
        if (node != dropped && node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node != root && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node == root)
            return {};
        node = node.next_sibling();
    }
}

} // namespace

bool MarkupContext::literalAt(std::string_view text, std::size_t offset)
{
    const std::string_view before = text.substr(0, offset);
    while (pos < offset)
        step(before);
    return state == State::comment || state == State::cdata || state == State::pi;
}

void MarkupContext::step(std::string_view before)
{
    switch (state) {
    case State::text: {
        const std::size_t open = before.find('<', pos);
        if (open == std::string_view::npos) {
            pos = before.size();
            return;
        }
        const std::string_view markup = before.substr(open);
        if (markup.starts_with("<!--"))
            state = State::comment, pos = open + 4;
        else if (markup.starts_with("<![CDATA["))
            state = State::cdata, pos = open + 9;
        else if (markup.starts_with("<?"))
            state = State::pi, pos = open + 2;
        else
            state = State::tag, quote = 0, pos = open + 1;
        return;
    }
    case State::comment:
        return skipPast(before, "-->");
    case State::cdata:
        return skipPast(before, "]]>");
    case State::pi:
        return skipPast(before, "?>");
    case State::tag:
        for (; pos < before.size(); ++pos) {
            const char c = before[pos];
            if (quote != 0) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>' || c == '<') {
                // "<" starts the next declaration inside a DOCTYPE's internal subset.
                state = State::text;
                pos += c == '>' ? 1 : 0;
                return;
            }
        }
        return;
    }
}

void MarkupContext::skipPast(std::string_view before, std::string_view end)
{
    const std::size_t at = before.find(end, pos);
    if (at == std::string_view::npos) {
        pos = before.size();
        return;
    }
    pos = at + end.size();
    state = State::text;
}

Problem CharacterCheck::advance(std::string_view text, bool complete)
{
    const char* const data = text.data();
    const std::size_t n = text.size();
    // Room for the longest character and for "&#" with its first digits.
    const std::size_t limit = complete ? n : n > 64 ? n - 64 : 0;
    std::size_t i = pos;
    while (i < limit) {
        i = nextNotice(data, i, n);
        if (i >= limit)
            break;
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x80) {
            // A run of non-ASCII characters; two-byte sequences, the most common ones in
            // packs, are all characters XML allows.
            while (i < limit && static_cast<unsigned char>(data[i]) >= 0x80) {
                const auto lead = static_cast<unsigned char>(data[i]);
                if (lead >= 0xC2 && lead < 0xE0 && i + 1 < n &&
                    (static_cast<unsigned char>(data[i + 1]) & 0xC0) == 0x80) {
                    i += 2;
                    continue;
                }
                char32_t character = 0;
                const std::size_t length = utf8Sequence(text, i, character);
                if (length == 0)
                    return {"ungültige UTF-8-Bytefolge", static_cast<std::ptrdiff_t>(i)};
                if (!isXmlCharacter(character))
                    return {"ungültiges Zeichen " + codePoint(character), static_cast<std::ptrdiff_t>(i)};
                i += length;
            }
            continue;
        }
        const auto at = static_cast<std::ptrdiff_t>(i);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return {"ungültiges Zeichen " + codePoint(c), at};
        if (c == '&' && i + 1 < n && data[i + 1] == '#') {
            std::size_t span = 0;
            const std::size_t length = referenceLength(text, i, span);
            // Digits up to the end of what has arrived may go on in the next piece.
            if (!complete && i + span >= n)
                break;
            if (length > 0) {
                i += length;
                continue;
            }
            if (!context.literalAt(text, i))
                return {"ungültiger Zeichenverweis \"" +
                            std::string(text.substr(i, std::min<std::size_t>(span, 20))) + "\"",
                        at};
        }
        ++i;
    }
    pos = i;
    return {};
}

Problem characters(std::string_view text)
{
    CharacterCheck check;
    return check.advance(text, true);
}

Problem structure(const pugi::xml_document& tree, bool declarationAtStart, const pugi::xml_node& dropped)
{
    int elements = 0;
    bool doctype = false;
    for (pugi::xml_node node = tree.first_child(); node; node = node.next_sibling()) {
        switch (node.type()) {
        case pugi::node_declaration:
            if (!declarationAtStart || node != tree.first_child())
                return at(node, "XML-Deklaration nur am Anfang der Datei erlaubt");
            break;
        case pugi::node_doctype:
            if (doctype || elements > 0)
                return at(node, "DOCTYPE nur einmal und vor dem Wurzelelement erlaubt");
            doctype = true;
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            return at(node, "Text außerhalb des Wurzelelements");
        case pugi::node_element:
            if (++elements > 1)
                return at(node, "mehr als ein Wurzelelement");
            if (Problem p = checkSubtree(node, dropped))
                return p;
            break;
        default:
            if (Problem p = checkNode(node, 0))
                return p;
        }
    }
    if (elements == 0)
        return {"kein Wurzelelement gefunden", -1};
    return {};
}

bool isName(std::string_view name)
{
    if (name.empty())
        return false;
    for (std::size_t pos = 0; pos < name.size();) {
        char32_t c = static_cast<unsigned char>(name[pos]);
        std::size_t length = 1;
        if (c >= 0x80 && (length = utf8Sequence(name, pos, c)) == 0)
            return false;
        if (!(pos == 0 ? isNameStart(c) : isNamePart(c)))
            return false;
        pos += length;
    }
    return true;
}

} // namespace XmlWellFormed
