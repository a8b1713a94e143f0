#include "KeyList.h"
#include "LanguagePack.h"
#include "Windows1252.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

TEST(KeyList, AddInsertsAtTheSortedPlace)
{
    KeyList keys;
    for (const char* k : {"b", "Title", "a", "title", "B", "\xC4pfel", "zebra", ""})
        keys.add(k);
    const std::vector<std::string> expected = {"", "a", "\xC4pfel", "B", "b", "Title", "title", "zebra"};
    EXPECT_EQ(keys.items(), expected);
}

TEST(KeyList, IndexOfFindsTheFirstEntryEqualWithoutRegardToCase)
{
    KeyList keys;
    for (const char* k : {"key", "Key", "other", "key ", "\xE4pfel", "apfel", "\xC4pfel"})
        keys.add(k);
    EXPECT_EQ(keys.indexOf("KEY"), 3);
    EXPECT_EQ(keys.indexOf("key"), 3);
    EXPECT_EQ(keys.indexOf("key "), 5);
    // Greater byte for byte than the first of its case variants, and less than the second.
    EXPECT_EQ(keys.indexOf("\xE4PFEL"), 1);
    EXPECT_EQ(keys.indexOf("APFEL"), 0);
    EXPECT_EQ(keys.indexOf("ke"), -1);
    EXPECT_EQ(keys.indexOf("zzz"), -1);
}

// Windows-1252 names in the order a German reader expects.
const std::vector<std::string> exampleOrder = {
    "a.b",
    "a_b",
    "apfel",
    "\xC4pfel",
    "\xC4rger",
    "Arzt",
    "Birne",
    "ober",
    "\xD6sterreich",
    "\xDFig",
    "strasse",
    "Stra\xDF"
    "e",
    "sz",
    "zebra",
};

TEST(KeyList, AddAndBulkSortGiveTheReadersOrder)
{
    std::vector<std::string> shuffled = exampleOrder;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(5));
    KeyList added;
    KeyList sorted;
    for (const std::string& name : shuffled) {
        added.add(name);
        sorted.appendUnsorted(name);
    }
    sorted.sort();
    EXPECT_EQ(added.items(), exampleOrder);
    EXPECT_EQ(sorted.items(), exampleOrder);
}

int sign(int n)
{
    return (n > 0) - (n < 0);
}

TEST(KeyList, CompareDecidesByBaseFormThenLowerCaseThenBytes)
{
    const struct
    {
        const char* less;
        const char* greater;
        bool equalWithoutCase;
    } cases[] = {
        {"ss", "\xDF", false}, // ß is ss, then the lower-case bytes decide
        {"\xDF", "st", false}, // ß before st, although 0xDF is above t
        {"\xDF"
         "a",
         "ssb", false}, // the expansion decides before the rest
        {"ssa",
         "\xDF"
         "b",
         false},
        {"\xDF"
         "z",
         "st", false},
        {"\xDF", "sz", false},
        {"Adler", "\xC6ra", false}, // Æ as AE
        {"\xC6ra", "Af", false},
        {"aera", "\xE6ra", false},
        {"Odem", "\x8Cuvre", false}, // Œ as OE
        {"\x8Cuvre", "Ofen", false},
        {"Ober", "\xD8l", false}, // Ø as O
        {"\xD8l", "Om", false},
        {"y", "\x9F", false},   // Ÿ and ÿ as y
        {"\x9F", "\xFF", true}, // case variants: the bytes decide
        {"\xFF", "z", false},
        {"Title", "title", true},
        {"\x8A"
         "tern",
         "Sz", false}, // Š as S
        {"Zz",
         "\x8E"
         "zz",
         false},                 // Ž as Z: the lower-case forms z and ž decide
        {"\xE0", "\xC4", false}, // à before Ä: the lower-case bytes before the bytes
        {"\xC4"
         "b",
         "ac", false},         // Äb before ac: the base form before the lower case
        {"a.b", "a_b", false}, // characters that are not letters keep their order
        {"9", "a", false},
        {"_", "a", false},
        {"z", "{", false},
        {"z", "\x80", false},
        {"\xC4", "\x80", false},
        {"a", "aa", false},
        {"", "a", false},
    };
    for (const auto& c : cases) {
        EXPECT_LT(KeyList::compare(c.less, c.greater), 0) << c.less << " " << c.greater;
        EXPECT_GT(KeyList::compare(c.greater, c.less), 0) << c.less << " " << c.greater;
        EXPECT_EQ(KeyList::compareWithoutCase(c.less, c.greater) == 0, c.equalWithoutCase)
            << c.less << " " << c.greater;
        EXPECT_EQ(KeyList::compare(c.less, c.less), 0) << c.less;
    }
}

TEST(KeyList, PlainAsciiNamesKeepTheOrderOfTheirLowerCaseForms)
{
    std::mt19937 random(3);
    const auto name = [&random] {
        std::string text = random() % 2 ? "app.Section_" : "";
        for (auto n = random() % 5; n > 0; --n)
            text += static_cast<char>(0x20 + random() % 0x5F);
        return text;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string a = name();
        const std::string b = name();
        const int before = Windows1252::compareText(a, b);
        const int now = KeyList::compare(a, b);
        EXPECT_EQ(sign(now), before != 0 ? before : sign(a.compare(b))) << a << " " << b;
    }
}

TEST(KeyList, BulkFillSortsOnceStably)
{
    KeyList keys;
    for (const char* k : {"c", "A", "a", "b", "a"})
        keys.appendUnsorted(k);
    keys.sort();
    const std::vector<std::string> expected = {"A", "a", "a", "b", "c"};
    EXPECT_EQ(keys.items(), expected);
    keys.removeAt(0);
    EXPECT_EQ(keys.at(0), "a");
}

// Many random names over few letters in both cases, with and without diacritics, and the
// letters that count as two (so that they share prefixes, differ only in case or have equal
// base forms), after a random part of `prefix`; the first `sortedStart` come in order. The
// bulk sort, a comparison sort and adding one by one must agree.
TEST(KeyList, BulkSortOrdersLikeAStableComparisonSortAndLikeAdding)
{
    const auto less = [](const std::string& a, const std::string& b) { return KeyList::compare(a, b) < 0; };
    const std::string letters = "aAbBeEsS._-\xC4\xE4\xC6\xE6\x8C\x9C\xDF\x8A\x9A\xD8\x9F\xFF\x80";
    std::mt19937 random(11);
    const auto upTo = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n)(random);
    };
    const struct
    {
        int count, sortedStart;
        std::size_t maxLength;
        std::string prefix;
    } shapes[] = {{3000, 0, 12, ""},
                  {3000, 2900, 12, ""},
                  {3000, 0, 2, ""},
                  {3000, 0, 1, ""},
                  {500, 0, 300, ""},
                  {40, 0, 0, ""},
                  {3000, 0, 4, "checkout.section12.Text_"}};
    for (const auto& shape : shapes) {
        std::vector<std::string> names(static_cast<std::size_t>(shape.count));
        for (std::string& name : names) {
            name = shape.prefix.substr(0, upTo(shape.prefix.size()));
            for (std::size_t n = upTo(shape.maxLength); n > 0; --n)
                name += letters[upTo(letters.size() - 1)];
        }
        std::stable_sort(names.begin(), names.begin() + shape.sortedStart, less);
        KeyList keys;
        KeyList added;
        for (const std::string& name : names) {
            keys.appendUnsorted(name);
            added.add(name);
        }
        keys.sort();
        std::stable_sort(names.begin(), names.end(), less);
        EXPECT_EQ(keys.items(), names) << shape.count << " " << shape.maxLength;
        EXPECT_EQ(added.items(), names) << shape.count << " " << shape.maxLength;
    }
}

TEST(KeyList, BulkSortOfNamesThatGrowByOneLetter)
{
    // Each byte position splits one name off the rest: the sort must not nest a call per byte.
    KeyList keys;
    for (int length = 4000; length > 0; --length)
        keys.appendUnsorted(std::string(static_cast<std::size_t>(length), 'k'));
    keys.sort();
    EXPECT_EQ(keys.at(3999).size(), 4000u);
}

struct VersionCase
{
    const char* before;
    const char* after;
};

TEST(BumpVersion, RaisesThePatchPartAndCountsNonNumbersAsZero)
{
    const VersionCase cases[] = {
        {"1.0.0", "1.0.1"},
        {"1.2", "1.2.1"},
        {"", "0.0.1"},
        {"abc", "0.0.1"},
        {"1.2.3.4", "1.2.1"},
        {"2.x.5", "2.0.6"},
        {"7", "0.0.1"},
        {"1.2.", "1.2.1"},
        {"-1.5.9", "-1.5.10"},
        {"1.2.2147483647", "1.2.2147483648"},
        {"01.002.009", "1.2.10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bumpVersion(c.before), c.after) << c.before;
}

TEST(PackDate, IsYearMonthDayHourMinuteWithLeadingZeros)
{
    EXPECT_EQ(formatPackDate({2007, 3, 5, 9, 7}), "2007-03-05 09:07");
    EXPECT_EQ(formatPackDate({2026, 12, 31, 23, 59}), "2026-12-31 23:59");
}

TEST(FileNamePart, IsThePartAfterTheLastSlash)
{
    EXPECT_EQ(fileNamePart("/home/anna/packs/de.xml"), "de.xml");
    EXPECT_EQ(fileNamePart("de.xml"), "");
    EXPECT_EQ(fileNamePart("/dir/"), "");
}

} // namespace
