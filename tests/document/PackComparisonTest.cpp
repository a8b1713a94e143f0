#include "PackComparison.h"
#include "KeyRecord.h"
#include "LanguagePack.h"

#include <gtest/gtest.h>

namespace {

struct Key
{
    const char* name;
    KeyRecord record;
};

void fill(LanguagePack& pack, const std::vector<Key>& keys)
{
    pack.createNew();
    for (const Key& key : keys) {
        pack.addKey(key.name);
        pack.setRecord(key.name, key.record);
    }
}

using List = std::vector<std::string>;

TEST(PackComparison, FindsEachKindInKeyListOrderMatchingNamesWithoutCase)
{
    LanguagePack reference, pack;
    fill(reference, {{"zeta", {"Z %s", "", "1", "0", "0"}},
                     {"Alpha", {"A", "Kontext", "", "", ""}},
                     {"beta", {"B {n}", "", "0", "1", "0"}},
                     {"Gamma", {"G", "", "", "", ""}},
                     {"delta", {"D %d", "", "", "", ""}},
                     {"leer", {"", "", "", "", ""}},
                     {"epsilon", {"E", "", "", "", ""}}});
    // Only "1" is on: "", "0" and "yes" are all off.
    fill(pack, {{"ZETA", {"", "", "1", "", "yes"}},
                {"beta", {"B", "", "", "1", ""}},
                {"gamma", {"G", "", "", "", "1"}},
                {"delta", {"%d D", "", "", "", ""}},
                {"leer", {"%s", "", "", "", ""}},
                {"omega", {"O", "", "", "", ""}},
                {"Alt", {"", "", "", "", ""}}});
    const PackComparison c = comparePacks(reference, pack);
    EXPECT_EQ(c.missing, (List{"Alpha", "epsilon"}));
    EXPECT_EQ(c.untranslated, (List{"zeta"}));
    EXPECT_EQ(c.obsolete, (List{"Alt", "omega"}));
    EXPECT_EQ(c.flags, (List{"Gamma"}));
    EXPECT_EQ(c.placeholders,
              (std::vector<PlaceholderFinding>{{"beta", "beta", {"{n}"}, {}}, {"leer", "leer", {}, {"%s"}}}));
    EXPECT_FALSE(c.passed());
}

// Names that differ only in case share their table entries: one key, named once.
TEST(PackComparison, ANameListedTwiceCountsOnce)
{
    LanguagePack reference, pack;
    fill(reference, {{"Titel", {"T", "", "", "", ""}}, {"titel", {"T", "", "", "", ""}}, {"neu", {}}});
    fill(pack, {{"TITEL", {"", "", "", "", ""}}, {"alt", {}}, {"Alt", {}}});
    const PackComparison c = comparePacks(reference, pack);
    EXPECT_EQ(c.missing, (List{"neu"}));
    EXPECT_EQ(c.untranslated, (List{"Titel"}));
    EXPECT_EQ(c.obsolete, (List{"Alt"}));
}

} // namespace
