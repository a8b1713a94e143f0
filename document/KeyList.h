#pragma once

#include <string>
#include <string_view>
#include <vector>

// The document's key list: the keys a pack has, kept sorted without regard to case
// (Windows-1252 lower-case forms compared byte by byte). The same key may stand twice;
// equal names keep the order in which they were added. Finding a key is a binary search.
class KeyList
{
public:
    int count() const { return static_cast<int>(keys.size()); }
    bool empty() const { return keys.empty(); }
    const std::string& at(int index) const { return keys[static_cast<std::size_t>(index)]; }
    const std::vector<std::string>& items() const { return keys; }

    // Inserts the key at its sorted place, after any equal names; returns that place.
    int add(std::string_view key);
    // The first entry whose whole text equals the key without regard to case, or -1.
    int indexOf(std::string_view key) const;
    void removeAt(int index);
    void clear() { keys.clear(); }

    // Bulk fill: append unsorted, then sort once (stable, linear in the length of the names).
    void appendUnsorted(std::string key) { keys.push_back(std::move(key)); }
    void sort();

private:
    std::vector<std::string> keys;
};
