#include "KeyChecks.h"
#include "KeyList.h"
#include "Windows1252.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct CheckCase
{
    std::vector<const char*> keys;
    bool passed;
    const char* list; // Windows-1252
};

// Names written here in UTF-8 and held in Windows-1252, as the key list holds them.
KeyList keyList(const std::vector<const char*>& names)
{
    KeyList keys;
    for (const char* name : names)
        keys.add(Windows1252::fromUtf8(name));
    return keys;
}

TEST(KeyChecks, DuplicateCheckListsEqualNeighboursOnly)
{
    const CheckCase cases[] = {
        {{}, true, ""},
        {{"a"}, true, ""},
        {{"a", "b", "b", "c"}, false, "b"},
        {{"x", "x", "x"}, false, "x, x"},
        {{"Key", "key"}, true, ""},
        {{"b", "a", "c", "a", "b"}, false, "a, b"},
        {{"", ""}, false, ""},
        {{"key ", "key"}, true, ""},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.keys));
        std::string list = "left over";
        EXPECT_EQ(findDuplicateKeys(keyList(c.keys), list), c.passed);
        EXPECT_EQ(list, c.list);
    }
}

TEST(KeyChecks, DuplicateCheckComparesOnlyNeighbours)
{
    // "A" stands between the two "a": as added, equal names keep their order.
    KeyList keys;
    for (const char* name : {"a", "A", "a"})
        keys.appendUnsorted(name);
    std::string list;
    EXPECT_TRUE(findDuplicateKeys(keys, list));
}

TEST(KeyChecks, SyntaxCheckListsNamesWithQuotesOrCharactersAboveAscii)
{
    const CheckCase cases[] = {
        {{}, true, ""},
        {{"größe", "it's", "ok", "say \"hi\""}, false, "größe, it's, say \"hi\""},
        {{"with blank", "with\ttab", "ctrl\x01", "del\x7F", ""}, true, ""},
        {{"Ärger", "ärger"}, false, "Ärger, ärger"},
        {{"euro€"}, false, "euro€"},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.keys));
        std::string list = "left over";
        EXPECT_EQ(findInvalidKeys(keyList(c.keys), list), c.passed);
        EXPECT_EQ(list, Windows1252::fromUtf8(c.list));
    }
}

TEST(KeyChecks, ReportsUseTheWindowsWordsInUtf8)
{
    EXPECT_EQ(doppelCheckReport(true, ""), "Doppel-Check bestanden");
    EXPECT_EQ(doppelCheckReport(false, "b, b"), "Doppel-Check nicht bestanden: b, b");
    EXPECT_EQ(syntaxCheckReport(true, ""), "Syntax-Check bestanden");
    EXPECT_EQ(syntaxCheckReport(false, Windows1252::fromUtf8("größe, it's")),
              "Syntax-Check nicht bestanden: größe, it's");
}

} // namespace
