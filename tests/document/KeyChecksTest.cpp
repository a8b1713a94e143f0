#include "KeyChecks.h"
#include "KeyList.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyChecks, ListOffendingNamesInKeyListOrder)
{
    // Key names in Windows-1252; the checks' results as found.
    const struct
    {
        std::vector<const char*> keys;
        const char* duplicates;
        const char* invalid;
    } cases[] = {
        {{}, "", ""},
        {{"x", "x", "x", "Key", "key", "key "}, "x, x", ""},
        {{"\xC4rger", "\xE4rger", "it's", "\"q\"", "a\tb", "del\x7F"}, "", "\"q\", \xC4rger, \xE4rger, it's"},
    };
    for (const auto& c : cases) {
        KeyList keys;
        for (const char* name : c.keys)
            keys.add(name);
        std::string list = "left over";
        EXPECT_EQ(findDuplicateKeys(keys, list), *c.duplicates == '\0');
        EXPECT_EQ(list, c.duplicates);
        EXPECT_EQ(findInvalidKeys(keys, list), *c.invalid == '\0');
        EXPECT_EQ(list, c.invalid);
    }
}

} // namespace
