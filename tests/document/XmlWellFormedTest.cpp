#include "XmlWellFormed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

namespace {

bool allowed(unsigned long c)
{
    return c == 9 || c == 10 || c == 13 || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The first bad character or reference of a text, found one character at a time: what the
// fast check must find, at the same place.
std::ptrdiff_t firstProblem(std::string_view t)
{
    const char* const starts[] = {"<!--", "<![CDATA[", "<?"};
    const char* const ends[] = {"-->", "]]>", "?>"};
    int inside = -1; // the comment, CDATA section or processing instruction the text is in
    std::size_t bodyStart = 0;
    for (std::size_t i = 0; i < t.size();) {
        const auto b = static_cast<unsigned char>(t[i]);
        const std::size_t length = b < 0x80                ? 1
                                   : b >= 0xC2 && b < 0xE0 ? 2
                                   : b >= 0xE0 && b < 0xF0 ? 3
                                   : b < 0xF5              ? 4
                                                           : 0;
        unsigned long c = length == 1 ? b : b & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < t.size() && (t[i + k] & 0xC0) == 0x80; ++k)
            c = (c << 6) | (t[i + k] & 0x3F);
        const bool complete =
            length > 0 && i + length <= t.size() &&
            std::all_of(t.begin() + i + 1, t.begin() + i + length, [](char x) { return (x & 0xC0) == 0x80; });
        if (!complete || b >= 0xF5 || (b >= 0x80 && b < 0xC2) || (length == 3 && c < 0x800) ||
            (length == 4 && c < 0x10000) || !allowed(c))
            return static_cast<std::ptrdiff_t>(i);
        const std::string_view rest = t.substr(i);
        if (inside >= 0 && i >= bodyStart && rest.starts_with(ends[inside]))
            inside = -1;
        for (int k = 0; k < 3 && inside < 0; ++k)
            if (rest.starts_with(starts[k]))
                inside = k, bodyStart = i + std::strlen(starts[k]);
        if (inside < 0 && rest.starts_with("&#")) {
            const bool hex = rest.starts_with("&#x");
            const std::size_t digits = hex ? 3 : 2;
            std::size_t end = digits;
            while (end < rest.size() && (hex ? std::isxdigit(static_cast<unsigned char>(rest[end]))
                                             : std::isdigit(static_cast<unsigned char>(rest[end]))))
                ++end;
            unsigned long value = 0;
            for (std::size_t k = digits; k < end; ++k)
                value = std::min(value * (hex ? 16 : 10) + std::stoul(std::string(1, rest[k]), nullptr, 16),
                                 0x110000ul);
            if (end == digits || end == rest.size() || rest[end] != ';' || !allowed(value))
                return static_cast<std::ptrdiff_t>(i);
        }
        i += length;
    }
    return -1;
}

TEST(XmlWellFormed, TheFastCharacterCheckFindsWhatACharacterByCharacterCheckFinds)
{
    // Characters good and bad, references, and the markup in which references are text.
    std::vector<std::string> pieces;
    std::istringstream all(
        "abcdefgh| |é|Ã¤|€|😀|\xC3|\x80|\xC0\x80|\xED\xA0\x80|\xEF\xBF\xBE|\xF4\x90\x80\x80|\x01|\t|"
        "\xE0\xA0\x80|\xE0\x80\x80|\xED\x9F\xBF|\xEF\xBF\xBD|\xEE\x80\x80|\xE2\x82|"
        "\r\n|&#65;|&#x41;|&#0;|&#xD800;|&amp;|&#;|&#x;|&#1114111;|<!--|-->|<![CDATA[|]]>|<?|?>|&|#");
    for (std::string piece; std::getline(all, piece, '|');)
        pieces.push_back(piece);
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = static_cast<int>(random() % 40); n > 0; --n)
            text += pieces[random() % pieces.size() < 4 ? random() % 4 : random() % pieces.size()];
        const std::ptrdiff_t expected = firstProblem(text);
        ASSERT_EQ(XmlWellFormed::characters(text).offset, expected) << text;
        // The same text arriving in pieces.
        XmlWellFormed::CharacterCheck check;
        XmlWellFormed::Problem found;
        for (std::size_t end = 0; end < text.size() && !found; end += random() % 100)
            found = check.advance(std::string_view(text).substr(0, end), false);
        if (!found)
            found = check.advance(text, true);
        ASSERT_EQ(found.offset, expected) << text;
    }
}

TEST(XmlWellFormed, NamesFollowTheXmlRules)
{
    for (const char* name : {"a", "_x", "key", "ä-1.b", "a:b", "日本", "x·y"})
        EXPECT_TRUE(XmlWellFormed::isName(name)) << name;
    for (const char* name : {"", "1a", "-a", "a b", "a×b", "a\xC3", "a÷"})
        EXPECT_FALSE(XmlWellFormed::isName(name)) << name;
}

} // namespace
