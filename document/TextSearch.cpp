#include "TextSearch.h"

#include "THashedStringList.h"
#include "Windows1252.h"

#include <string>

namespace {

// Whether the text holds `lowerNeedle` (lower-cased, not empty), letters in any case.
bool containsFolded(std::string_view text, std::string_view lowerNeedle)
{
    if (lowerNeedle.size() > text.size())
        return false;
    const char first = lowerNeedle.front();
    const std::size_t last = text.size() - lowerNeedle.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (Windows1252::toLower(text[i]) != first)
            continue;
        std::size_t k = 1;
        while (k < lowerNeedle.size() && Windows1252::toLower(text[i + k]) == lowerNeedle[k])
            ++k;
        if (k == lowerNeedle.size())
            return true;
    }
    return false;
}

} // namespace

KeyList searchTexts(const THashedStringList& values, std::string_view searchText)
{
    KeyList results;
    if (searchText.empty())
        return results;
    const std::string needle = Windows1252::lowerCase(searchText);
    for (int i = 0; i < values.count(); ++i) {
        if (containsFolded(values.valueViewAt(i), needle))
            results.appendUnsorted(std::string(values.nameViewAt(i)));
    }
    results.sort();
    return results;
}
