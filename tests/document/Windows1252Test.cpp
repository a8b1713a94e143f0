#include "Windows1252.h"
#include "LineBreaks.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace Windows1252;

TEST(Windows1252, EveryByteSurvivesThePlainConversionBothWays)
{
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(fromUtf8(toUtf8(one)), one) << b;
        EXPECT_TRUE(representable(toUtf8(one))) << b;
    }
}

TEST(Windows1252, PlainConversionMapsTheHighRangeToItsCharacters)
{
    const struct
    {
        const char* cp1252;
        const char* utf8;
    } cases[] = {
        {"\x80", "€"}, {"\x8A", "Š"},        {"\x9F", "Ÿ"},        {"\xE4", "ä"},
        {"\xDF", "ß"}, {"\x81", "\xC2\x81"}, {"\x9D", "\xC2\x9D"}, {"plain", "plain"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toUtf8(c.cp1252), c.utf8);
        EXPECT_EQ(fromUtf8(c.utf8), c.cp1252);
    }
}

TEST(Windows1252, UnrepresentableCharactersGetABestFitOrAQuestionMark)
{
    const struct
    {
        const char* utf8;
        const char* cp1252;
    } cases[] = {
        {"Ā", "A"},
        {"ł", "l"},
        {"Ő", "O"},
        {"‐", "-"},
        {"日本", "??"},
        {"😀", "?"},
        {"\xC3", "?"},
        {"a\xFF"
         "b",
         "a?b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromUtf8(c.utf8), c.cp1252) << c.utf8;
        EXPECT_FALSE(representable(c.utf8)) << c.utf8;
    }
}

TEST(Windows1252, Utf8In8BitDoublesEveryNonAsciiCharacter)
{
    // ä is stored as the two characters Ã and ¤; € as three.
    EXPECT_EQ(encodeUtf8In8Bit("\xE4"), "Ã¤");
    EXPECT_EQ(encodeUtf8In8Bit("\x80"), "â‚¬");
    EXPECT_EQ(encodeUtf8In8Bit("ascii only"), "ascii only");
    for (const char* text : {"\xE4\xF6\xFC\xDF \x80 text\r\n", "", "\x81\x8D\x8F\x90\x9D", "\x83\x88\x98"})
        EXPECT_EQ(decodeUtf8In8Bit(encodeUtf8In8Bit(text)), text);
}

// The decoding takes runs of ASCII and the usual doubled letters a block at a time: random
// texts of every byte, of every length, come back whole, line breaks made CR LF.
TEST(Windows1252, EveryTextComesBackFromItsDoubledForm)
{
    std::mt19937 random(3);
    // One string for every round, as the reader decodes text after text into one.
    std::string decoded;
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int n = static_cast<int>(random() % 80); n > 0; --n) {
            const unsigned pick = random() % 4;
            text += pick == 0   ? static_cast<char>(1 + random() % 255)
                    : pick == 1 ? "\xE4\xF6\xFC"[random() % 3]
                                : 'a';
        }
        ASSERT_EQ(decodeText(encodeUtf8In8Bit(text)), LineBreaks::normalize(text, LineBreaks::crLf)) << text;
        ASSERT_EQ(decodeUtf8In8Bit(encodeUtf8In8Bit(text)), text);
        bool lost = false;
        ASSERT_EQ(decodeTextInto(encodeUtf8In8Bit(text), decoded, lost),
                  LineBreaks::normalize(text, LineBreaks::crLf))
            << text;
        ASSERT_FALSE(lost) << text;
    }
}

TEST(Windows1252, TextThatIsNotUtf8In8BitKeepsItsPlainForm)
{
    // A hand-edited "Größe" typed directly as UTF-8 characters is no doubled form.
    EXPECT_EQ(decodeUtf8In8Bit("Größe"), "Gr\xF6\xDF"
                                         "e");
    // Four-byte sequences are beyond what the decoding takes.
    EXPECT_EQ(decodeUtf8In8Bit(toUtf8("\xF0\x9F\x98\x80")), "\xF0\x9F\x98\x80");
    // Doubled characters that Windows-1252 lacks become question marks.
    EXPECT_EQ(decodeUtf8In8Bit(toUtf8("\xE6\x97\xA5")), "?");

    // The same into a string that held a longer text, with the report of replaced characters.
    const struct
    {
        std::string utf8;
        std::string text;
        bool lost;
    } cases[] = {
        {"Größe\nneu",
         "Gr\xF6\xDF"
         "e\r\nneu",
         false},
        {toUtf8("\xE6\x97\xA5\r"), "?\r\n", true},
        {"日", "?", true},
        // Its bytes begin like UTF-8 of a character Windows-1252 lacks (₂) but are no UTF-8 as a
        // whole, so the text keeps its plain form and loses nothing.
        {"a\xC3\xA2\xE2\x80\x9A\xE2\x80\x9A\xC2\xAC", "a\xE2\x82\x82\xAC", false},
        // A C1 control keeps its byte, here the second byte of Ã's UTF-8; as a plain text it
        // would have become a Windows-1252 character.
        {"\xC3\x83\xC2\x83", "\xC3", false},
        {"\xC2\x84", "\x84", true},
    };
    for (const auto& c : cases) {
        std::string into(64, 'x');
        bool lost = false;
        EXPECT_EQ(decodeTextInto(c.utf8, into, lost), c.text) << c.utf8;
        EXPECT_EQ(lost, c.lost) << c.utf8;
        lost = false;
        fromUtf8Into(c.utf8, into, lost);
        EXPECT_EQ(into, fromUtf8(c.utf8)) << c.utf8;
        EXPECT_EQ(lost, !representable(c.utf8)) << c.utf8;
    }
}

TEST(LineBreaks, EveryKindOfLineBreakBecomesTheOneAskedFor)
{
    using LineBreaks::normalize;
    EXPECT_EQ(normalize("a\nb\rc\r\nd\n\re", LineBreaks::crLf), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(normalize("\r\r\n", LineBreaks::crLf), "\r\n\r\n");
    EXPECT_EQ(normalize("a\r\nb\rc\nd\n\r", LineBreaks::lf), "a\nb\nc\nd\n\n");
    EXPECT_EQ(normalize("", LineBreaks::lf), "");
}

TEST(Windows1252, CaseRulesCoverTheCodePageLetters)
{
    EXPECT_EQ(upperCase("abc\xE4\xF6\xFC\x9A\x9C\x9E\xFF\xDF\xB5"),
              "ABC\xC4\xD6\xDC\x8A\x8C\x8E\x9F\xDF\xB5");
    EXPECT_EQ(lowerCase("\xC4\xD7\xDE"), "\xE4\xD7\xFE");
    EXPECT_TRUE(sameText("Title", "tITLE"));
    EXPECT_FALSE(sameText("Title", "Titles"));
    EXPECT_LT(compareText("apple", "Banana"), 0);
    EXPECT_EQ(compareText("ABC", "abc"), 0);
}

} // namespace
