#pragma once

#include <array>
#include <string>
#include <string_view>

// Turns one translation text into the form an export format needs. The four operations are
// independent and stateless, each one pass over the bytes with no look-ahead; the export
// modules chain them per key according to the key's flags.
class HTML_Encoder
{
public:
    // The HTML form of every byte of a Windows-1252 text, indexed by byte value.
    static const std::array<std::string_view, 256> entityTable;

    // Every byte replaced by its entityTable entry.
    std::string encodeEntities(std::string_view text) const;
    // Every LF written as "<br>" and the LF; every CR dropped.
    std::string insertHtmlBreaks(std::string_view text) const;
    // A backslash put before every double quote; backslashes already there stay single.
    std::string escapeQuotes(std::string_view text) const;
    // LF written as backslash and n, CR as backslash and r.
    std::string escapeLinebreaks(std::string_view text) const;
};
