#pragma once

#include <iconv.h>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

// Packs for the save rule, built by the tests: generated packs in every encoding a pack may
// use, encoded here by the system's iconv rather than the program's own encoder.
namespace PackCorpus {

enum class Encoding { utf8, utf8WithMark, utf16le, utf16be, latin1, windows1252 };

inline const char* declaredName(Encoding e)
{
    constexpr const char* names[] = {"UTF-8", "UTF-8", "UTF-16", "UTF-16BE", "ISO-8859-1", "windows-1252"};
    return names[static_cast<int>(e)];
}

// UTF-8 text in the encoding, with the byte-order mark of the UTF-16 files and of
// utf8WithMark; throws when the encoding lacks a character.
inline std::string encode(std::string_view utf8, Encoding e)
{
    constexpr const char* iconvNames[] = {"UTF-8",    "UTF-8",      "UTF-16LE",
                                          "UTF-16BE", "ISO-8859-1", "WINDOWS-1252"};
    const iconv_t cd = iconv_open(iconvNames[static_cast<int>(e)], "UTF-8");
    std::string in(utf8), out(utf8.size() * 4 + 4, '\0');
    char *from = in.data(), *to = out.data();
    std::size_t left = in.size(), room = out.size();
    const std::size_t done = iconv(cd, &from, &left, &to, &room);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1))
        throw std::invalid_argument("not in the encoding");
    out.resize(out.size() - room);
    const char* mark = e == Encoding::utf8WithMark ? "\xEF\xBB\xBF"
                       : e == Encoding::utf16le    ? "\xFF\xFE"
                       : e == Encoding::utf16be    ? "\xFE\xFF"
                                                   : "";
    return mark + out;
}

// Text for a place where references may stand: characters the encoding lacks as references.
inline std::string escapeFor(Encoding e, std::string_view utf8)
{
    std::string out;
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length = 1;
        while (pos + length < utf8.size() && (utf8[pos + length] & 0xC0) == 0x80)
            ++length;
        const std::string_view one = utf8.substr(pos, length);
        pos += length;
        try {
            encode(one, e);
            out += one;
        } catch (const std::invalid_argument&) {
            char32_t c = static_cast<unsigned char>(one[0]) & (0x7F >> length);
            for (const char next : one.substr(1))
                c = (c << 6) | (next & 0x3F);
            out += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
        }
    }
    return out;
}

// A pack as another program might have written it: every kind of node, texts plain and in
// the doubled form, references, white space, odd flags, keys twice and keys without text;
// the same number always gives the same pack.
inline std::string generated(unsigned number, Encoding e)
{
    std::mt19937 random(number);
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
