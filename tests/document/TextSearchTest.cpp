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

// A long text holds its one match at the start, across the 16, 32 and 64 byte marks a
// block-wise comparison would cut at, or at its very last bytes; the needle is in the other
// case. Cut short by the end of the text, the same needle finds nothing.
TEST(TextSearch, FindsTheOnlyMatchOfALongTextAtAnyPlaceInEitherCase)
{
    // The text's form and the search text, both written in UTF-8.
    const std::pair<const char*, const char*> needles[] = {
        {"HAUS", "haus"}, {"haus", "HAUS"},   {"Äpfel", "äPFEL"}, {"äpfel", "ÄPFEL"},
        {"Šoda", "šODA"}, {"ÿacht", "ŸACHT"}, {"Ä", "ä"},         {"ä", "Ä"},
        {"Š", "š"},       {"Ÿ", "ÿ"},         {"ÿ", "Ÿ"},         {"Z", "z"},
    };
    for (const std::size_t length : {15, 16, 17, 31, 32, 33, 63, 64, 65, 66, 72, 127, 128, 129, 300, 1000})
        for (const auto& [inText, searched] : needles) {
            const std::string word = Windows1252::fromUtf8(inText);
            const std::string searchText = Windows1252::fromUtf8(searched);
            // Digits have no case and hold none of the needles' letters.
            std::string filler(length, '0');
            for (std::size_t i = 0; i < length; ++i)
                filler[i] = static_cast<char>('0' + i % 10);
            std::vector<std::size_t> places = {0, length - word.size()};
            for (const std::size_t mark : {16, 32, 64})
                for (const std::size_t place : {mark - 1, mark - word.size() / 2})
                    if (place + word.size() <= length)
                        places.push_back(place);
            for (const std::size_t place : places) {
                THashedStringList values;
                values.setValue("k", std::string(filler).replace(place, word.size(), word));
                EXPECT_EQ(searchTexts(values, searchText).items(), std::vector<std::string>{"k"})
                    << searched << " at " << place << " of " << length;
            }
            THashedStringList cut;
            cut.setValue("k", std::string(filler).replace(length - word.size() + 1, word.size() - 1, word, 0,
                                                          word.size() - 1));
            EXPECT_EQ(searchTexts(cut, searchText).items(), std::vector<std::string>{})
                << searched << " cut short in " << length;
        }
}

} // namespace
