#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

// Packs for the save rule, built by the tests: generated packs in every encoding a pack may
// use, written here without the program's own encoder, so that both are checked.
namespace PackCorpus {

enum class Encoding { utf8, utf8WithMark, utf16le, utf16be, latin1, windows1252 };

inline const char* declaredName(Encoding e)
{
    switch (e) {
    case Encoding::utf16le:
        return "UTF-16";
    case Encoding::utf16be:
        return "UTF-16BE";
    case Encoding::latin1:
        return "ISO-8859-1";
    case Encoding::windows1252:
        return "windows-1252";
    default:
        return "UTF-8";
    }
}

inline char32_t next(std::string_view utf8, std::size_t& pos)
{
    const auto b = static_cast<unsigned char>(utf8[pos]);
    const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (int i = 1; i < length; ++i)
        c = (c << 6) | (static_cast<unsigned char>(utf8[pos + static_cast<std::size_t>(i)]) & 0x3F);
    pos += static_cast<std::size_t>(length);
    return c;
}

// The windows-1252 byte of a character, or -1.
inline int windows1252Byte(char32_t c)
{
    constexpr char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (high[i] != 0 && high[i] == c)
            return 0x80 + i;
    return -1;
}

inline bool holds(Encoding e, char32_t c)
{
    return e == Encoding::latin1 ? c <= 0xFF : e == Encoding::windows1252 ? windows1252Byte(c) >= 0 : true;
}

// Text for a place where references may stand: characters the encoding lacks as references.
inline std::string escapeFor(Encoding e, std::string_view utf8)
{
    std::string out;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        const char32_t c = next(utf8, pos);
        if (holds(e, c))
            out += utf8.substr(start, pos - start);
        else
            out += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
    }
    return out;
}

// A UTF-8 document as the bytes of a file in the encoding.
inline std::string encode(std::string_view utf8, Encoding e)
{
    std::string out;
    auto unit = [&](char32_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += e == Encoding::utf16be ? hi : lo;
        out += e == Encoding::utf16be ? lo : hi;
    };
    if (e == Encoding::utf8WithMark)
        out = "\xEF\xBB\xBF";
    if (e == Encoding::utf8 || e == Encoding::utf8WithMark)
        return out + std::string(utf8);
    if (e == Encoding::utf16le || e == Encoding::utf16be)
        unit(0xFEFF);
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t c = next(utf8, pos);
        if (e == Encoding::latin1 || e == Encoding::windows1252)
            out += static_cast<char>(e == Encoding::latin1 ? c : static_cast<char32_t>(windows1252Byte(c)));
        else if (c < 0x10000)
            unit(c);
        else
            unit(0xD800 + ((c - 0x10000) >> 10)), unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    return out;
}

// A pack as another program might have written it: every kind of node, texts plain and in
// the doubled form, references, white space, odd flags, keys twice and keys without text.
inline std::string generated(unsigned seed, Encoding e)
{
    std::mt19937 random(seed);
    auto pick = [&](auto const& items) {
        return items[std::uniform_int_distribution<std::size_t>(0, std::size(items) - 1)(random)];
    };
    const char* const pieces[] = {"Hallo",    " ",    "Grüße", "Ã¤",        "â‚¬",   "€ 12,50",
                                  "“quoted”", "日本", "😀",     "&lt;b&gt;", "&amp;", "&quot;",
                                  "\n",       "\r\n", "&#13;", "&#9;",      "\t",    "]]&gt;",
                                  "&#32;",    "ŒŠ",   "ā",     "\u0081"};
    const char* const flags[] = {"1", "0", "", "true", " 1"};
    const char* const ids[] = {"title", "Title", "menü.öffnen", "a.b-c_d", "x", "straße", "€uro"};
    auto text = [&] {
        std::string t;
        for (int n = std::uniform_int_distribution<int>(0, 6)(random); n > 0; --n)
            t += pick(pieces);
        // Some texts are white space only, kept only when one character is a reference.
        return random() % 7 == 0 ? std::string(random() % 2 ? "&#32; \n" : " \t") : t;
    };
    std::string xml = std::string("<?xml version=\"1.0\" encoding=\"") + declaredName(e) + "\"?>";
    xml += "<!-- Sprachpaket äöü -->\n<?korvel-test mode=\"a\"?>\n";
    xml += "<languagepack project=\"" + escapeFor(e, "Shop “€”") + "\" lang=\"de\" date=\"2020-01-01 10:00\"";
    xml += " extra=\"a&#9;b&#10;c " + escapeFor(e, "日") + "\" name=\"n\">";
    xml += "<info>" + escapeFor(e, "Beschreibung: äöü&#13;zwei\n€") + "<![CDATA[<roh> & äöü]]></info>";
    xml += "<meta öl=\"1\"><leer>&#32;</leer><!-- ß --><?pi data ä?><tief><a><b/></a></tief></meta>";
    xml += "<content>\n";
    for (int k = std::uniform_int_distribution<int>(5, 25)(random); k > 0; --k) {
        xml += "<key id=\"" + escapeFor(e, pick(ids)) + std::to_string(random() % 12) + "\"";
        xml += std::string(" encodeHTML=\"") + pick(flags) + "\"";
        if (random() % 3)
            xml += std::string(" preserveLinebreaks=\"") + pick(flags) + "\" unixNewline=\"" + pick(flags) +
                   "\"";
        if (random() % 9 == 0) {
            xml += "/>\n";
            continue;
        }
        xml += "><value>" + escapeFor(e, text()) + "</value>";
        if (random() % 2)
            xml += "<comment>" + escapeFor(e, text()) + "</comment>";
        xml += "</key>\n";
    }
    return xml + "</content><!-- Ende --></languagepack>\n";
}

} // namespace PackCorpus
