#include "TextSearch.h"

#include "THashedStringList.h"
#include "Windows1252.h"

#include <algorithm>
#include <string>
#include <vector>

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

bool lessText(const std::string& a, const std::string& b)
{
    return Windows1252::compareText(a, b) < 0;
}

// The table keeps the order in which keys were added: a pack read from a file the program
// wrote is in key-list order, and later keys follow at the end. Sorting only what follows
// the ordered start and merging keeps a search per keystroke close to linear.
void sortNames(std::vector<std::string>& names)
{
    const auto unordered = std::is_sorted_until(names.begin(), names.end(), lessText);
    if (unordered == names.end())
        return;
    std::stable_sort(unordered, names.end(), lessText);
    std::inplace_merge(names.begin(), unordered, names.end(), lessText);
}

} // namespace

KeyList searchTexts(const THashedStringList& values, std::string_view searchText)
{
    KeyList results;
    if (searchText.empty())
        return results;
    const std::string needle = Windows1252::lowerCase(searchText);
    std::vector<std::string> names;
    for (int i = 0; i < values.count(); ++i) {
        if (containsFolded(values.valueAt(i), needle))
            names.push_back(values.nameAt(i));
    }
    sortNames(names);
    for (std::string& name : names)
        results.appendUnsorted(std::move(name));
    results.sort();
    return results;
}
