#include "KeyList.h"
#include "LanguagePack.h"
#include "Windows1252.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

TEST(KeyList, AddKeepsCaseInsensitiveOrderAndEqualNamesInInsertionOrder)
{
    KeyList keys;
    for (const char* k : {"b", "Title", "a", "title", "B", "\xC4pfel", "zebra", ""})
        keys.add(k);
    const std::vector<std::string> expected = {"", "a", "b", "B", "Title", "title", "zebra", "\xC4pfel"};
    EXPECT_EQ(keys.items(), expected);
}

TEST(KeyList, IndexOfFindsTheFirstEntryEqualWithoutRegardToCase)
{
    KeyList keys;
    for (const char* k : {"key", "Key", "other", "key "})
        keys.add(k);
    EXPECT_EQ(keys.indexOf("KEY"), 0);
    EXPECT_EQ(keys.indexOf("key "), 2);
    EXPECT_EQ(keys.indexOf("ke"), -1);
    EXPECT_EQ(keys.indexOf("zzz"), -1);
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

// Many random names over few letters in both cases (so that they share prefixes or differ only
// in case), after a random part of `prefix`; the first `sortedStart` come in order.
TEST(KeyList, BulkSortOrdersLikeAStableComparisonSort)
{
    const auto less = [](const std::string& a, const std::string& b) {
        return Windows1252::compareText(a, b) < 0;
    };
    const std::string letters = "aAbB.\xC4\xE4\x8A\x9A";
    std::mt19937 random(11);
    const auto upTo = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n)(random);
    };
    const struct
    {
        int count, sortedStart;
        std::size_t maxLength;
        std::string prefix;
    } shapes[] = {{3000, 0, 12, ""}, {3000, 2900, 12, ""}, {3000, 0, 2, ""},
                  {500, 0, 300, ""}, {40, 0, 0, ""},       {3000, 0, 4, "checkout.section12.Text_"}};
    for (const auto& shape : shapes) {
        std::vector<std::string> names(static_cast<std::size_t>(shape.count));
        for (std::string& name : names) {
            name = shape.prefix.substr(0, upTo(shape.prefix.size()));
            for (std::size_t n = upTo(shape.maxLength); n > 0; --n)
                name += letters[upTo(letters.size() - 1)];
        }
        std::stable_sort(names.begin(), names.begin() + shape.sortedStart, less);
        KeyList keys;
        for (const std::string& name : names)
            keys.appendUnsorted(name);
        keys.sort();
        std::stable_sort(names.begin(), names.end(), less);
        EXPECT_EQ(keys.items(), names) << shape.count << " " << shape.maxLength;
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
