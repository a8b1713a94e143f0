#include "encoder.h"

#include "rewriteBytes.h"

namespace {

constexpr std::array<char, 128> asciiBytes = [] {
    std::array<char, 128> bytes{};
    for (std::size_t b = 0; b < bytes.size(); ++b)
        bytes[b] = static_cast<char>(b);
    return bytes;
}();

// 0x80 to 0xFF. The bytes of 0x80 to 0x9F without a named reference, even those that are
// characters in Windows-1252, get the numeric reference of the byte value itself.
constexpr std::array<std::string_view, 128> highEntities = {
    "&euro;",   "&#129;",   "&sbquo;",  "&#131;",   "&bdquo;",  "&hellip;", "&dagger;", "&Dagger;",
    "&#136;",   "&permil;", "&#138;",   "&lsaquo;", "&OElig;",  "&#141;",   "&#142;",   "&#143;",
    "&#144;",   "&lsquo;",  "&rsquo;",  "&ldquo;",  "&rdquo;",  "&bull;",   "&ndash;",  "&mdash;",
    "&#152;",   "&trade;",  "&#154;",   "&rsaquo;", "&oelig;",  "&#157;",   "&#158;",   "&#159;",
    "&nbsp;",   "&iexcl;",  "&cent;",   "&pound;",  "&curren;", "&yen;",    "&brvbar;", "&sect;",
    "&uml;",    "&copy;",   "&ordf;",   "&laquo;",  "&not;",    "&shy;",    "&reg;",    "&macr;",
    "&deg;",    "&plusmn;", "&sup2;",   "&sup3;",   "&acute;",  "&micro;",  "&para;",   "&middot;",
    "&cedil;",  "&sup1;",   "&ordm;",   "&raquo;",  "&frac14;", "&frac12;", "&frac34;", "&iquest;",
    "&Agrave;", "&Aacute;", "&Acirc;",  "&Atilde;", "&Auml;",   "&Aring;",  "&AElig;",  "&Ccedil;",
    "&Egrave;", "&Eacute;", "&Ecirc;",  "&Euml;",   "&Igrave;", "&Iacute;", "&Icirc;",  "&Iuml;",
    "&ETH;",    "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;",  "&Otilde;", "&Ouml;",   "&times;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;",  "&Uuml;",   "&Yacute;", "&THORN;",  "&szlig;",
    "&agrave;", "&aacute;", "&acirc;",  "&atilde;", "&auml;",   "&aring;",  "&aelig;",  "&ccedil;",
    "&egrave;", "&eacute;", "&ecirc;",  "&euml;",   "&igrave;", "&iacute;", "&icirc;",  "&iuml;",
    "&eth;",    "&ntilde;", "&ograve;", "&oacute;", "&ocirc;",  "&otilde;", "&ouml;",   "&divide;",
    "&oslash;", "&ugrave;", "&uacute;", "&ucirc;",  "&uuml;",   "&yacute;", "&thorn;",  "&yuml;",
};

} // namespace

// Constant-initialised, so it is ready before any static initialiser of the library runs.
constinit const std::array<std::string_view, 256> HTML_Encoder::entityTable = [] {
    std::array<std::string_view, 256> table{};
    for (std::size_t b = 0; b < asciiBytes.size(); ++b)
        table[b] = std::string_view(&asciiBytes[b], 1);
    table['"'] = "&quot;";
    table['&'] = "&amp;";
    table['<'] = "&lt;";
    table['>'] = "&gt;";
    for (std::size_t b = 0; b < highEntities.size(); ++b)
        table[0x80 + b] = highEntities[b];
    return table;
}();

std::string HTML_Encoder::encodeEntities(std::string_view text) const
{
    return rewriteBytes(
        text, [](char c) { return entityTable[static_cast<unsigned char>(c)].size() != 1; },
        [](std::string& out, char c) { out += entityTable[static_cast<unsigned char>(c)]; });
}

std::string HTML_Encoder::insertHtmlBreaks(std::string_view text) const
{
    return rewriteBytes(
        text, [](char c) { return c == '\n' || c == '\r'; },
        [](std::string& out, char c) {
            if (c == '\n')
                out += "<br>\n";
        });
}

std::string HTML_Encoder::escapeQuotes(std::string_view text) const
{
    return rewriteBytes(
        text, [](char c) { return c == '"'; }, [](std::string& out, char) { out += "\\\""; });
}

std::string HTML_Encoder::escapeLinebreaks(std::string_view text) const
{
    return rewriteBytes(
        text, [](char c) { return c == '\n' || c == '\r'; },
        [](std::string& out, char c) { out += c == '\n' ? "\\n" : "\\r"; });
}
