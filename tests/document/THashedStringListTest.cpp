#include "THashedStringList.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> entries(const THashedStringList& t)
{
    std::vector<std::string> out;
    for (int i = 0; i < t.count(); ++i)
        out.push_back(t.nameAt(i) + "=" + t.valueAt(i));
    return out;
}

using Entries = std::vector<std::string>;

TEST(THashedStringList, AbsentNameReadsEmptyAndEmptyValueDeletes)
{
    THashedStringList t;
    EXPECT_EQ(t.value("missing"), "");
    EXPECT_EQ(t.indexOfName("missing"), -1);
    t.setValue("a", "1");
    t.setValue("b", "2");
    t.setValue("a", "");
    EXPECT_EQ(entries(t), Entries({"b=2"}));
    EXPECT_EQ(t.value("a"), "");
    t.setValue("never", "");
    EXPECT_EQ(t.count(), 1);
}

TEST(THashedStringList, SettingAnExistingNameReplacesInPlaceWithTheNewCase)
{
    THashedStringList t;
    t.setValue("Title", "x");
    t.setValue("other", "y");
    t.setValue("TITLE", "z");
    EXPECT_EQ(entries(t), Entries({"TITLE=z", "other=y"}));
    EXPECT_EQ(t.value("title"), "z");
}

TEST(THashedStringList, NamesDifferingInCaseShareOneEntryIncludingUmlauts)
{
    THashedStringList t;
    t.setValue("Gr\xD6\xDF"
               "e",
               "1"); // GRÖße
    EXPECT_EQ(t.value("gr\xF6\xDF"
                      "e"),
              "1");
    t.setValue("\x8A"
               "x",
               "2"); // Š
    EXPECT_EQ(t.indexOfName("\x9A"
                            "X"),
              1);
    EXPECT_EQ(t.count(), 2);
}

TEST(THashedStringList, KeyContainingEqualsSignIsNeverFoundAndAppendsEachTime)
{
    THashedStringList t;
    t.setValue("a=b", "x");
    t.setValue("a=b", "y");
    EXPECT_EQ(t.value("a=b"), "");
    EXPECT_EQ(entries(t), Entries({"a=b=x", "a=b=y"}));
    // The entries' name is "a": a lookup of "a" answers the last of them.
    EXPECT_EQ(t.value("a"), "b=y");
    EXPECT_EQ(t.indexOfName("a"), 1);
}

TEST(THashedStringList, LookupAfterRemovalFindsShiftedEntries)
{
    THashedStringList t;
    for (int i = 0; i < 100; ++i)
        t.setValue("k" + std::to_string(i), "v" + std::to_string(i));
    t.remove(0);
    t.setValue("k50", "");
    EXPECT_EQ(t.count(), 98);
    EXPECT_EQ(t.indexOfName("k1"), 0);
    EXPECT_EQ(t.value("k99"), "v99");
    EXPECT_EQ(t.indexOfName("k50"), -1);
    t.setValue("k50", "again");
    EXPECT_EQ(t.indexOfName("k50"), 98);
}

TEST(THashedStringList, ClearKeepsTheObjectUsable)
{
    THashedStringList t;
    t.setValue("a", "1");
    const THashedStringList* before = &t;
    t.clear();
    EXPECT_EQ(t.count(), 0);
    EXPECT_EQ(t.value("a"), "");
    t.setValue("a", "2");
    EXPECT_EQ(&t, before);
    EXPECT_EQ(t.value("A"), "2");
}

TEST(THashedStringList, ManyKeysStayFindable)
{
    THashedStringList t;
    for (int i = 0; i < 20000; ++i)
        t.setValue("key." + std::to_string(i), std::to_string(i));
    for (int i = 0; i < 20000; i += 97)
        ASSERT_EQ(t.value("KEY." + std::to_string(i)), std::to_string(i));
    EXPECT_EQ(t.count(), 20000);
}

TEST(THashedStringList, EmptyNameIsAKeyLikeAnyOther)
{
    THashedStringList t;
    t.setValue("", "text");
    EXPECT_EQ(entries(t), Entries({"=text"}));
    EXPECT_EQ(t.value(""), "text");
}

TEST(THashedStringList, ManyReplacementsAndRemovalsKeepEveryTextIntact)
{
    // Enough churn to make the table move its texts to fresh storage several times.
    THashedStringList t;
    const std::string big(100000, 'b');
    for (int round = 0; round < 30; ++round) {
        for (int i = 0; i < 200; ++i)
            t.setValue("k" + std::to_string(i),
                       std::string(static_cast<std::size_t>(i % 50 + 1), 'a' + round % 26));
        t.setValue("big", big + std::to_string(round));
        for (int i = 0; i < 200; i += 3)
            t.setValue("k" + std::to_string(i), "");
    }
    for (int i = 0; i < 200; ++i) {
        const std::string expected =
            i % 3 ? std::string(static_cast<std::size_t>(i % 50 + 1), 'a' + 29 % 26) : "";
        ASSERT_EQ(t.value("K" + std::to_string(i)), expected) << i;
    }
    EXPECT_EQ(t.value("big"), big + "29");
}

TEST(THashedStringList, CopiesAreIndependent)
{
    THashedStringList a;
    a.setValue("x", "1");
    a.setValue("y=z", "2");
    THashedStringList b = a;
    a.setValue("x", "changed");
    a.clear();
    EXPECT_EQ(b.value("X"), "1");
    EXPECT_EQ(b.nameAt(1), "y");
    EXPECT_EQ(b.valueAt(1), "z=2");
    b = THashedStringList(b);
    EXPECT_EQ(b.count(), 2);
}

TEST(THashedStringList, IndexOutOfRangeThrows)
{
    THashedStringList t;
    EXPECT_THROW(t.remove(0), std::out_of_range);
    EXPECT_THROW((void)t.nameAt(3), std::out_of_range);
}

} // namespace
