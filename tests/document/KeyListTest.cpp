#include "KeyList.h"
#include "LanguagePack.h"

#include <gtest/gtest.h>

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
