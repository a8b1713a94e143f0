#include "THashedStringList.h"

#include "Windows1252.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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

namespace {

// The table against a plain list of the same entries, through a long random sequence of
// settings, removals by name and by position, lookups and positions.
TEST(THashedStringList, AnySequenceOfOperationsMatchesAPlainList)
{
    THashedStringList t;
    std::vector<std::pair<std::string, std::string>> plain;
    auto find = [&plain](const std::string& name) {
        for (std::size_t i = 0; i < plain.size(); ++i)
            if (Windows1252::sameText(plain[i].first, name))
                return static_cast<int>(i);
        return -1;
    };
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const std::string name = (random() % 2 ? "k" : "K") + std::to_string(random() % 300);
        const int op = static_cast<int>(random() % 10);
        if (op < 5) {
            const std::string text = op == 0 ? "" : "v" + std::to_string(step);
            const int at = find(name);
            t.setValue(name, text);
            if (text.empty() && at >= 0)
                plain.erase(plain.begin() + at);
            else if (!text.empty() && at >= 0)
                plain[static_cast<std::size_t>(at)] = {name, text};
            else if (!text.empty())
                plain.emplace_back(name, text);
        } else if (op < 7 && !plain.empty()) {
            const int at = static_cast<int>(random() % plain.size());
            t.remove(at);
            plain.erase(plain.begin() + at);
        } else if (op < 9) {
            ASSERT_EQ(t.indexOfName(name), find(name)) << step;
            ASSERT_EQ(t.value(name),
                      find(name) < 0 ? "" : plain[static_cast<std::size_t>(find(name))].second);
        } else if (!plain.empty()) {
            const int at = static_cast<int>(random() % plain.size());
            ASSERT_EQ(t.nameAt(at), plain[static_cast<std::size_t>(at)].first) << step;
            ASSERT_EQ(t.valueAt(at), plain[static_cast<std::size_t>(at)].second) << step;
        }
        ASSERT_EQ(t.count(), static_cast<int>(plain.size())) << step;
    }
}

// Removing each entry once cost a shift of all later ones and a rebuilt index: quadratic.
TEST(THashedStringList, RemovingEveryEntryWhileLookingUpStaysLinear)
{
    THashedStringList t;
    const int n = 300000;
    for (int i = 0; i < n; ++i)
        t.setValue("key" + std::to_string(i), "1");
    for (int i = 0; i < n; i += 2) {
        t.setValue("key" + std::to_string(i), "");
        ASSERT_EQ(t.indexOfName("key" + std::to_string(i + 1)), i / 2);
    }
    for (int i = 1; i < n; i += 2)
        t.remove(t.indexOfName("key" + std::to_string(i)));
    EXPECT_EQ(t.count(), 0);
}

TEST(THashedStringList, RemovingALaterEntryUnderAnEqualsNameShowsTheEarlierOne)
{
    THashedStringList t;
    t.setValue("a=b", "x");
    t.setValue("a=c", "y");
    t.remove(t.indexOfName("a"));
    EXPECT_EQ(t.value("a"), "b=x");
}

} // namespace

namespace {

// Names unique without regard to case, some in other letter cases than others.
std::vector<std::string> uniqueNames(int n, std::mt19937& random)
{
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i)
        names.push_back((random() % 2 ? "key." : "KEY.") + std::to_string(i) + (random() % 3 ? "" : "\xE4"));
    std::shuffle(names.begin(), names.end(), random);
    return names;
}

} // namespace

// The bulk paths (entries appended without a lookup, an index placed in one pass, a copy that
// shares its texts) against settings one by one, at sizes on both sides of the one-pass
// placement, and through the same random changes afterwards.
TEST(THashedStringList, BulkAppendsAndCopiesGiveTheTablesOfSettingsOneByOne)
{
    for (const int n : {10, 5000, 30000}) {
        std::mt19937 random(static_cast<unsigned>(n));
        const std::vector<std::string> names = uniqueNames(n, random);
        THashedStringList bySetting, byAppending;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string text = i % 7 == 0 ? "" : "text " + std::to_string(i);
            bySetting.setValue(names[i], text);
            byAppending.appendNew(names[i], text);
        }
        THashedStringList copied, copiedOneByOne;
        copied.copyFrom(bySetting);
        // A target that is not empty takes the general way.
        copiedOneByOne.setValue("\x01", "x");
        copiedOneByOne.copyFrom(bySetting);
        copiedOneByOne.remove(0);

        std::vector<THashedStringList*> tables = {&byAppending, &copied, &copiedOneByOne};
        for (THashedStringList* t : tables) {
            ASSERT_EQ(entries(*t), entries(bySetting)) << n;
            for (std::size_t i = 0; i < names.size(); i += 3)
                ASSERT_EQ(t->indexOfName(Windows1252::upperCase(names[i])), bySetting.indexOfName(names[i]))
                    << n;
            ASSERT_EQ(t->indexOfName("absent"), -1);
        }
        // The same changes to all: settings, removals, new names; and the source's own
        // changes after the copy stay out of the copies.
        tables.push_back(&bySetting);
        for (int step = 0; step < 3000; ++step) {
            const std::string name =
                step % 5 == 0 ? "new." + std::to_string(step) : names[random() % names.size()];
            const std::string text = step % 4 == 0 ? "" : "changed " + std::to_string(step);
            for (THashedStringList* t : tables)
                t->setValue(name, text);
        }
        bySetting.setValue(names[1], "only in the source");
        bySetting.remove(0);
        ASSERT_EQ(entries(byAppending), entries(copied)) << n;
        ASSERT_EQ(entries(copiedOneByOne), entries(copied)) << n;
        for (const std::string& name : names)
            ASSERT_EQ(copied.value(name), byAppending.value(name)) << n;
    }
}

// Lookups in the order of the entries and out of it give what a lookup by name gives, with
// gaps and with names cut at an "=".
TEST(THashedStringList, LookupsFromAPlaceGiveTheLookupByName)
{
    for (const bool withEqualsNames : {false, true}) {
        THashedStringList t;
        for (int i = 0; i < 200; ++i)
            t.setValue("k" + std::to_string(i), "v" + std::to_string(i));
        if (withEqualsNames)
            t.setValue("k5=x", "late");
        for (int i = 0; i < 200; i += 9)
            t.setValue("K" + std::to_string(i), "");
        std::size_t place = 0;
        for (const int i : {0, 1, 2, 3, 5, 4, 150, 151, 7, 199, 300}) {
            const std::string name = "K" + std::to_string(i);
            ASSERT_EQ(t.valueView(name, THashedStringList::hashName(name), place), t.value(name)) << i;
        }
    }
}

// Texts written straight into the table, shorter than the room they were given, empty, small
// and larger than a block, against the same texts appended.
TEST(THashedStringList, TextsWrittenIntoTheTableGiveTheTablesOfAppending)
{
    THashedStringList written, appended;
    const std::size_t sizes[] = {0, 1, 200, 16383, 16385, 70000, 0, 300000, 5, 0};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const std::string name = "key" + std::to_string(i);
        const std::string text(sizes[i], static_cast<char>('a' + i));
        appended.appendNew(name, text);
        written.appendNewWritten(name, text.size() * 2 + 16, [&text](char* to) {
            std::copy(text.begin(), text.end(), to);
            return text.size();
        });
    }
    ASSERT_EQ(entries(written), entries(appended));
    EXPECT_EQ(written.textSize(), appended.textSize());
    for (std::size_t i = 0; i < std::size(sizes); ++i)
        EXPECT_EQ(written.value("KEY" + std::to_string(i)).size(), sizes[i]);
}
