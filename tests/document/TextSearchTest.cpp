#include "TextSearch.h"
#include "THashedStringList.h"
#include "Windows1252.h"

#include <gtest/gtest.h>

namespace {

TEST(TextSearch, FindsTextsWithoutRegardToCaseByWindows1252Letters)
{
    // Not in name order, as a table holds its entries after edits; texts written in UTF-8.
    THashedStringList values;
    for (const auto& [key, text] : {std::pair{"home", "das Haus"},
                                    {"Garden", "Haus und Garten"},
                                    {"umlaut", "Ärger mit über"},
                                    {"caron", "Škoda und život"},
                                    {"yacht", "ÿacht"},
                                    {"multi", "Zeile\r\nzweite"},
                                    {"bHaus", "Hausboot"}})
        values.setValue(key, Windows1252::fromUtf8(text));
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"HAUS", {"bHaus", "Garden", "home"}},
        {"", {}},
        {"ärger", {"umlaut"}},
        {"ÜBER", {"umlaut"}},
        {"šKODA", {"caron"}},
        {"ŽIVOT", {"caron"}},
        {"ŸACHT", {"yacht"}},
        {"e\r\nz", {"multi"}},
        {"home", {}}, // key names are not searched
    };
    for (const auto& [searchText, expected] : cases)
        EXPECT_EQ(searchTexts(values, Windows1252::fromUtf8(searchText)).items(), expected) << searchText;
}

} // namespace
