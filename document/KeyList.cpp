#include "KeyList.h"

#include "Windows1252.h"

#include <algorithm>

namespace {

bool lessText(std::string_view a, std::string_view b)
{
    return Windows1252::compareText(a, b) < 0;
}

} // namespace

int KeyList::add(std::string_view key)
{
    const auto place = std::upper_bound(keys.begin(), keys.end(), key, lessText);
    return static_cast<int>(keys.insert(place, std::string(key)) - keys.begin());
}

int KeyList::indexOf(std::string_view key) const
{
    const auto place = std::lower_bound(keys.begin(), keys.end(), key, lessText);
    if (place == keys.end() || !Windows1252::sameText(*place, key))
        return -1;
    return static_cast<int>(place - keys.begin());
}

void KeyList::removeAt(int index)
{
    keys.erase(keys.begin() + index);
}

void KeyList::sort()
{
    // Packs the program wrote are in key-list order already.
    if (std::is_sorted(keys.begin(), keys.end(), lessText))
        return;
    std::stable_sort(keys.begin(), keys.end(), lessText);
}
