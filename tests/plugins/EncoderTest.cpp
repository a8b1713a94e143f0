#include "encoder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace std::string_literals;

namespace {

const HTML_Encoder encoder;

TEST(HtmlEncoder, EntityTableKeepsAsciiExceptTheFourMarkupCharacters)
{
    const std::map<char, std::string_view> markup = {
        {'"', "&quot;"}, {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}};
    for (int b = 0; b < 0x80; ++b) {
        const char c = static_cast<char>(b);
        const std::string_view expected = markup.contains(c) ? markup.at(c) : std::string_view(&c, 1);
        EXPECT_EQ(HTML_Encoder::entityTable[b], expected) << "byte " << b;
    }
}

TEST(HtmlEncoder, EntityTableGivesNumericReferencesForTheThirteenUnnamedHighControlBytes)
{
    int named = 0;
    for (int b = 0x80; b < 0xA0; ++b) {
        const std::string_view entry = HTML_Encoder::entityTable[b];
        if (entry.starts_with("&#"))
            EXPECT_EQ(entry, "&#" + std::to_string(b) + ";");
        else
            ++named;
    }
    EXPECT_EQ(named, 19);
    const std::pair<int, std::string_view> samples[] = {
        {0x80, "&euro;"},  {0x82, "&sbquo;"}, {0x87, "&Dagger;"}, {0x8C, "&OElig;"}, {0x8E, "&#142;"},
        {0x91, "&lsquo;"}, {0x96, "&ndash;"}, {0x99, "&trade;"},  {0x9C, "&oelig;"}, {0x9F, "&#159;"},
    };
    for (const auto& [b, entry] : samples)
        EXPECT_EQ(HTML_Encoder::entityTable[b], entry) << "byte " << b;
}

TEST(HtmlEncoder, EntityTableGivesLatin1NamesFromA0ToFF)
{
    for (int b = 0xA0; b < 0x100; ++b) {
        const std::string_view entry = HTML_Encoder::entityTable[b];
        EXPECT_TRUE(entry.size() > 2 && entry.front() == '&' && entry.back() == ';' &&
                    entry.find('#') == std::string_view::npos)
            << "byte " << b << ": " << entry;
    }
    const std::pair<int, std::string_view> samples[] = {
        {0xA0, "&nbsp;"},   {0xAD, "&shy;"},   {0xBF, "&iquest;"}, {0xC4, "&Auml;"}, {0xD0, "&ETH;"},
        {0xD7, "&times;"},  {0xDE, "&THORN;"}, {0xDF, "&szlig;"},  {0xE4, "&auml;"}, {0xF0, "&eth;"},
        {0xF7, "&divide;"}, {0xFE, "&thorn;"}, {0xFF, "&yuml;"},
    };
    for (const auto& [b, entry] : samples)
        EXPECT_EQ(HTML_Encoder::entityTable[b], entry) << "byte " << b;
}

struct Case
{
    std::string input;
    std::string expected;
};

TEST(HtmlEncoder, EncodeEntitiesReplacesMarkupAndHighBytes)
{
    const Case cases[] = {
        {"", ""},
        {R"(a<b & "c")", "a&lt;b &amp; &quot;c&quot;"},
        {"\xE4", "&auml;"},
        {"\x80\x81\x8C\x9F", "&euro;&#129;&OElig;&#159;"},
        {"it's\t\r\n", "it's\t\r\n"},
        {"a\0b"s, "a\0b"s},
        {"&amp;", "&amp;amp;"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encoder.encodeEntities(c.input), c.expected) << c.input;
}

TEST(HtmlEncoder, InsertHtmlBreaksMarksEveryLfAndDropsEveryCr)
{
    const Case cases[] = {
        {"", ""},           {"a\r\nb", "a<br>\nb"}, {"a\rb", "ab"}, {"a\n\nb", "a<br>\n<br>\nb"},
        {"\n\r", "<br>\n"}, {"a\0b"s, "a\0b"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encoder.insertHtmlBreaks(c.input), c.expected) << c.input;
}

TEST(HtmlEncoder, EscapeQuotesPutsABackslashBeforeEachDoubleQuoteOnly)
{
    const Case cases[] = {
        {"", ""},
        {R"(say "hi")", R"(say \"hi\")"},
        {R"(C:\temp)", R"(C:\temp)"},
        {R"(\")", R"(\\")"},
        {"a\0b"s, "a\0b"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encoder.escapeQuotes(c.input), c.expected) << c.input;
}

TEST(HtmlEncoder, EscapeLinebreaksWritesCrAndLfAsBackslashSequences)
{
    const Case cases[] = {
        {"", ""},
        {"a\r\nb", R"(a\r\nb)"},
        {"\r", R"(\r)"},
        {"\n\n", R"(\n\n)"},
        {R"(a\b "c")", R"(a\b "c")"},
        {"a\0b"s, "a\0b"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encoder.escapeLinebreaks(c.input), c.expected) << c.input;
}

} // namespace
