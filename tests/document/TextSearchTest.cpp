#include "TextSearch.h"
#include "THashedStringList.h"
#include "Windows1252.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Names = std::vector<std::string>;

// Texts written here in UTF-8 and held in Windows-1252, as the document holds them.
std::string cp1252(const char* utf8)
{
    return Windows1252::fromUtf8(utf8);
}

// In the order a table holds them after edits, not sorted.
THashedStringList texts()
{
    THashedStringList values;
    const std::pair<const char*, const char*> entries[] = {
        {"home", "das Haus"},         {"Garden", "Haus und Garten"}, {"umlaut", "Ärger mit über"},
        {"caron", "Škoda und život"}, {"ydiaeresis", "ÿacht"},       {"multi", "erste Zeile\r\nzweite Zeile"},
        {"apple", "keine Treffer"},   {"bHaus", "Hausboot"},
    };
    for (const auto& [key, text] : entries)
        values.setValue(key, cp1252(text));
    return values;
}

TEST(TextSearch, FindsSubstringsWithoutRegardToCaseSortedByName)
{
    const THashedStringList values = texts();
    const std::pair<const char*, Names> cases[] = {
        {"HAUS", {"bHaus", "Garden", "home"}},
        {"hal", {}},
        {"", {}},
        {"ärger", {"umlaut"}},
        {"ÜBER", {"umlaut"}},
        {"šKODA", {"caron"}},
        {"ŽIVOT", {"caron"}},
        {"ŸACHT", {"ydiaeresis"}},
        {"Zeile\r\nzweite", {"multi"}}, // across a line break
        {"home", {}},                   // key names are not searched
        {"Treffer und mehr", {}},
    };
    for (const auto& [searchText, expected] : cases) {
        SCOPED_TRACE(searchText);
        EXPECT_EQ(searchTexts(values, cp1252(searchText)).items(), expected);
    }
}

TEST(TextSearch, OrdersNamesAddedInAnyOrder)
{
    THashedStringList values;
    for (const char* key : {"a", "c", "e", "B", "d", "A1", "b0"})
        values.setValue(key, "x");
    EXPECT_EQ(searchTexts(values, "X").items(), (Names{"a", "A1", "B", "b0", "c", "d", "e"}));
}

} // namespace
