#include "XmlWellFormed.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The first bad character or reference of a text, found one character at a time: what the
// fast check must find, at the same place.
std::ptrdiff_t firstProblem(std::string_view t)
{
    enum { text, comment, cdata, pi } state = text;
    for (std::size_t i = 0; i < t.size();) {
        const auto b = static_cast<unsigned char>(t[i]);
        const std::size_t length = b < 0x80                ? 1
                                   : b >= 0xC2 && b < 0xE0 ? 2
                                   : b >= 0xE0 && b < 0xF0 ? 3
                                   : b >= 0xF0 && b < 0xF5 ? 4
                                                           : 0;
        if (length == 0 || i + length > t.size())
            return static_cast<std::ptrdiff_t>(i);
        char32_t c = length == 1 ? b : b & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80)
                return static_cast<std::ptrdiff_t>(i);
            c = (c << 6) | (t[i + k] & 0x3F);
        }
        const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
        const bool allowed = c == 9 || c == 10 || c == 13 || (c >= 0x20 && c <= 0xD7FF) ||
                             (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
        if (overlong || !allowed)
            return static_cast<std::ptrdiff_t>(i);
        const std::string_view rest = t.substr(i);
        if (state == text && rest.starts_with("<!--"))
            state = comment;
        else if (state == text && rest.starts_with("<![CDATA["))
            state = cdata;
        else if (state == text && rest.starts_with("<?"))
            state = pi;
        else if ((state == comment && rest.starts_with("-->")) ||
                 (state == cdata && rest.starts_with("]]>")) || (state == pi && rest.starts_with("?>")))
            state = text;
        if (state == text && rest.starts_with("&#")) {
            std::size_t end = 2;
            const bool hex = end < rest.size() && rest[end] == 'x';
            end += hex ? 1 : 0;
            unsigned long value = 0;
            const std::size_t digits = end;
            while (end < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[end])) &&
                   (hex || std::isdigit(static_cast<unsigned char>(rest[end]))))
                value =
                    std::min(value * (hex ? 16 : 10) + std::stoul(std::string(1, rest[end++]), nullptr, 16),
                             0x110000ul);
            const bool fine =
                end > digits && end < rest.size() && rest[end] == ';' &&
                (value == 9 || value == 10 || value == 13 || (value >= 0x20 && value <= 0xD7FF) ||
                 (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF));
            if (!fine)
                return static_cast<std::ptrdiff_t>(i);
        }
        i += length;
    }
    return -1;
}

TEST(XmlWellFormed, TheFastCharacterCheckFindsWhatACharacterByCharacterCheckFinds)
{
    const char* const pieces[] = {"abcdefgh",
                                  " ",
                                  "é",
                                  "Ã¤",
                                  "€",
                                  "😀",
                                  "\xC3",
                                  "\x80",
                                  "\xC0\x80",
                                  "\xED\xA0\x80",
                                  "\xEF\xBF\xBE",
                                  "\xF4\x90\x80\x80",
                                  "\x01",
                                  "\t",
                                  "\r\n",
                                  "&#65;",
                                  "&#x41;",
                                  "&#0;",
                                  "&#xD800;",
                                  "&amp;",
                                  "&#;",
                                  "&#x;",
                                  "&#1114111;",
                                  "<!--",
                                  "-->",
                                  "<![CDATA[",
                                  "]]>",
                                  "<?",
                                  "?>",
                                  "&",
                                  "#"};
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = static_cast<int>(random() % 40); n > 0; --n)
            text += pieces[random() % std::size(pieces) < 4 ? random() % 4 : random() % std::size(pieces)];
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
