// The text conversions between Windows-1252 and UTF-8, the line-break normalisation and the
// key-list order, on arbitrary bytes: each is checked against its round trip or against a
// plain reference written here character by character.

#include "FuzzSupport.h"
#include "KeyList.h"
#include "LineBreaks.h"
#include "Windows1252.h"

#include <algorithm>

namespace {

// Strict UTF-8 of sequences of at most `maxLength` bytes: no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool isUtf8(std::string_view s, int maxLength, bool (*accepted)(char32_t) = nullptr)
{
    for (std::size_t pos = 0; pos < s.size();) {
        const auto b = static_cast<unsigned char>(s[pos]);
        int length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (b < 0x80)
            length = 1, cp = b;
        else if ((b & 0xE0) == 0xC0)
            length = 2, cp = b & 0x1F, minimum = 0x80;
        else if ((b & 0xF0) == 0xE0)
            length = 3, cp = b & 0x0F, minimum = 0x800;
        else if ((b & 0xF8) == 0xF0)
            length = 4, cp = b & 0x07, minimum = 0x10000;
        if (length == 0 || length > maxLength || pos + static_cast<std::size_t>(length) > s.size())
            return false;
        for (int i = 1; i < length; ++i) {
            const auto c = static_cast<unsigned char>(s[pos + static_cast<std::size_t>(i)]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || (accepted && !accepted(cp)))
            return false;
        pos += static_cast<std::size_t>(length);
    }
    return true;
}

std::size_t codePoints(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Every CR LF, lone CR and lone LF replaced by `lineBreak`, one character at a time.
std::string referenceNormalize(std::string_view text, std::string_view lineBreak)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += lineBreak;
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (text[i] == '\n') {
            out += lineBreak;
        } else {
            out += text[i];
        }
    }
    return out;
}

int sign(int n)
{
    return (n > 0) - (n < 0);
}

// A Windows-1252 text in memory: the plain conversion and the doubled form come back whole.
void checkWindows1252Text(std::string_view text)
{
    using namespace Windows1252;
    const std::string utf8 = toUtf8(text);
    expectTrue(isUtf8(utf8, 3), "toUtf8 made no UTF-8 of \"" + printable(text) + "\"");
    expectTrue(representable(utf8), "toUtf8 made a character Windows-1252 lacks");
    expectEqual(fromUtf8(utf8), text, "fromUtf8(toUtf8(text)) is not the text");
    expectTrue(codePoints(utf8) == text.size(), "toUtf8 did not make one character per byte");

    const std::string doubled = encodeUtf8In8Bit(text);
    expectTrue(isUtf8(doubled, 3), "encodeUtf8In8Bit made no UTF-8");
    expectEqual(doubled, toUtf8(toUtf8(text)), "encodeUtf8In8Bit is not the plain conversion twice");
    expectEqual(decodeUtf8In8Bit(doubled), text, "decodeUtf8In8Bit(encodeUtf8In8Bit(text)) is not the text");
    expectEqual(decodeText(doubled), referenceNormalize(text, LineBreaks::crLf),
                "decodeText(encodeUtf8In8Bit(text)) is not the text with CR LF line breaks");

    if (!text.empty()) {
        const auto first = static_cast<unsigned char>(text[0]);
        expectEqual(utf8Form(first, false), toUtf8(text.substr(0, 1)), "utf8Form differs from toUtf8");
        expectEqual(utf8Form(first, true), encodeUtf8In8Bit(text.substr(0, 1)),
                    "utf8Form differs from encodeUtf8In8Bit");
    }
}

// An element or attribute text from the XML tree: any UTF-8, valid or not.
void checkTreeText(std::string_view utf8)
{
    using namespace Windows1252;
    const std::string plain = fromUtf8(utf8);
    expectTrue(plain.size() <= utf8.size(), "fromUtf8 grew the text");
    if (isUtf8(utf8, 4))
        expectTrue(plain.size() == codePoints(utf8), "fromUtf8 did not make one byte per character");
    if (representable(utf8))
        expectEqual(toUtf8(plain), utf8, "toUtf8(fromUtf8(text)) of a representable text is not the text");

    // The doubled form decoded: the plain bytes read as UTF-8 when they are such UTF-8 (of at
    // most three bytes a character), else the plain bytes as they stand.
    const std::string decoded = decodeUtf8In8Bit(utf8);
    expectEqual(decoded, isUtf8(plain, 3) ? fromUtf8(plain) : plain,
                "decodeUtf8In8Bit of \"" + printable(utf8) + "\"");
    const std::string text = decodeText(utf8);
    expectEqual(text, referenceNormalize(decoded, LineBreaks::crLf),
                "decodeText is not decodeUtf8In8Bit with CR LF line breaks");
    // Into a string that held a longer and a shorter text before, as the reader reuses one.
    for (std::string into : {std::string(utf8.size() * 3 + 40, 'x'), std::string("x")}) {
        bool lost = false;
        expectEqual(std::string(decodeTextInto(utf8, into, lost)), text,
                    "decodeTextInto differs from decodeText");
        // A character is lost where the plain step or the decoding of its bytes needs a stand-in.
        // As UTF-8 again, the plain bytes lose nothing where each character gave its own byte
        // (the C1 controls keep theirs); as the plain text, every stand-in counts.
        const bool bytesExact =
            isUtf8(utf8, 4, [](char32_t cp) { return cp <= 0xFF || Windows1252::exactByte(cp) >= 0; });
        const bool replaced = isUtf8(plain, 3) ? !bytesExact || !representable(plain) : !representable(utf8);
        expectEqual(lost ? "lost" : "kept", replaced ? "lost" : "kept",
                    "decodeTextInto's report of replaced characters for \"" + printable(utf8) + "\"");
        bool plainLost = false;
        fromUtf8Into(utf8, into, plainLost);
        expectEqual(into, plain, "fromUtf8Into differs from fromUtf8");
        expectEqual(plainLost ? "lost" : "kept", representable(utf8) ? "kept" : "lost",
                    "fromUtf8Into's report of replaced characters for \"" + printable(utf8) + "\"");
    }
}

void checkLineBreaks(std::string_view text)
{
    for (const std::string_view lineBreak : {LineBreaks::crLf, LineBreaks::lf}) {
        const std::string normal = LineBreaks::normalize(text, lineBreak);
        expectEqual(normal, referenceNormalize(text, lineBreak), "normalize");
        expectEqual(LineBreaks::normalize(normal, lineBreak), normal, "normalize is not idempotent");
    }
    const std::string crLf = LineBreaks::normalize(text, LineBreaks::crLf);
    expectEqual(LineBreaks::normalize(crLf, LineBreaks::lf), LineBreaks::normalize(text, LineBreaks::lf),
                "CR LF then LF is not LF at once");
}

void checkCase(std::string_view a, std::string_view b)
{
    using namespace Windows1252;
    const std::string upper = upperCase(a);
    const std::string lower = lowerCase(a);
    expectTrue(upper.size() == a.size() && lower.size() == a.size(), "case changed the length");
    expectTrue(sameText(a, upper) && sameText(a, lower) && sameText(upper, lower),
               "a text is not the same as its upper or lower case");
    expectTrue(compareText(a, upper) == 0, "compareText of a text and its upper case is not 0");
    expectEqual(lowerCase(upper), lower, "lower case of the upper case");
    expectEqual(upperCase(lower), upperCase(upper), "upper case of the lower case");

    // The order is that of the lower-case forms, byte by byte without sign.
    const int order = compareText(a, b);
    const int expected = sign(lowerCase(a).compare(lowerCase(b)));
    expectTrue(sign(order) == expected, "compareText(\"" + printable(a) + "\", \"" + printable(b) + "\")");
    expectTrue(sign(compareText(b, a)) == -expected, "compareText is not antisymmetric");
    expectTrue(sameText(a, b) == (expected == 0), "sameText disagrees with compareText");
}

// The base form of a text by the letters it names: groups of letters that count as one.
std::string referenceBaseForm(std::string_view text)
{
    static const std::pair<std::string_view, std::string_view> groups[] = {
        {"\xC0\xC1\xC2\xC3\xC4\xC5\xE0\xE1\xE2\xE3\xE4\xE5", "a"},
        {"\xC7\xE7", "c"},
        {"\xC8\xC9\xCA\xCB\xE8\xE9\xEA\xEB", "e"},
        {"\xCC\xCD\xCE\xCF\xEC\xED\xEE\xEF", "i"},
        {"\xD1\xF1", "n"},
        {"\xD2\xD3\xD4\xD5\xD6\xD8\xF2\xF3\xF4\xF5\xF6\xF8", "o"},
        {"\xD9\xDA\xDB\xDC\xF9\xFA\xFB\xFC", "u"},
        {"\xDD\xFD\x9F\xFF", "y"},
        {"\x8A\x9A", "s"},
        {"\x8E\x9E", "z"},
        {"\xDF", "ss"},
        {"\xC6\xE6", "ae"},
        {"\x8C\x9C", "oe"},
    };
    std::string form;
    for (const char c : text) {
        const auto group = std::find_if(std::begin(groups), std::end(groups), [c](const auto& g) {
            return g.first.find(c) != std::string_view::npos;
        });
        form += group != std::end(groups) ? std::string(group->second)
                                          : Windows1252::lowerCase(std::string(1, c));
    }
    return form;
}

// The key-list order: base forms, then lower-case forms, then the bytes, each byte without sign.
void checkKeyOrder(std::string_view a, std::string_view b)
{
    int expected = sign(referenceBaseForm(a).compare(referenceBaseForm(b)));
    if (expected == 0)
        expected = sign(Windows1252::lowerCase(a).compare(Windows1252::lowerCase(b)));
    const int withoutCase = expected;
    if (expected == 0)
        expected = sign(a.compare(b));
    const std::string what = "(\"" + printable(a) + "\", \"" + printable(b) + "\")";
    expectTrue(sign(KeyList::compare(a, b)) == expected, "KeyList::compare" + what);
    expectTrue(sign(KeyList::compare(b, a)) == -expected, "KeyList::compare is not antisymmetric" + what);
    expectTrue(sign(KeyList::compareWithoutCase(a, b)) == withoutCase, "KeyList::compareWithoutCase" + what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkWindows1252Text(input);
    checkTreeText(input);
    checkLineBreaks(input);
    // Two texts for the comparisons: the input split where its first byte says.
    const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
    checkCase(input.substr(0, split), input.substr(split));
    checkKeyOrder(input.substr(0, split), input.substr(split));
    return 0;
}
