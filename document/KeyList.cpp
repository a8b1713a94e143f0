#include "KeyList.h"

#include "Windows1252.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

bool lessText(std::string_view a, std::string_view b)
{
    return Windows1252::compareText(a, b) < 0;
}

// A name being sorted: its lower-case form in a buffer shared by all, its place before, and
// a copy of eight bytes of that form from the last multiple of eight at or before the byte
// being sorted on. The passes read the copies in item order instead of one buffer byte per
// name in scattered places.
struct SortItem
{
    std::uint32_t offset;
    std::uint32_t length;
    std::uint32_t index;
    std::uint64_t cached = 0;
};

// Names sorted by their lower-case forms, byte by byte from the front: each byte position
// distributes the names into buckets, so the work grows with the bytes that tell the names
// apart and not with n log n comparisons. Stable: equal names keep their order.
class RadixSort
{
public:
    RadixSort(const char* lower, std::vector<SortItem>& items)
        : lower(lower), items(items), scratch(items.size())
    {
    }

    // Sorts items[begin, end), which agree in their first `depth` bytes.
    void sort(std::size_t begin, std::size_t end, std::size_t depth)
    {
        for (;;) {
            const std::size_t n = end - begin;
            if (n < 24) {
                insertionSort(begin, end, depth);
                return;
            }
            if (depth % 8 == 0)
                cache(begin, end, depth);
            // Bytes that every name has and all share are skipped at once.
            if (const std::size_t shared = sharedBytes(begin, end, depth); shared > 0) {
                depth += shared;
                continue;
            }
            std::array<std::size_t, 257> count{};
            for (std::size_t i = begin; i < end; ++i)
                ++count[bucket(items[i], depth)];
            // All in one bucket: the names share this byte as well, or have all ended.
            if (const auto full = std::find(count.begin(), count.end(), n); full != count.end()) {
                if (full == count.begin())
                    return;
                ++depth;
                continue;
            }
            std::array<std::size_t, 257> place{};
            for (std::size_t b = 0, at = begin; b < count.size(); at += count[b++])
                place[b] = at;
            for (std::size_t i = begin; i < end; ++i)
                scratch[place[bucket(items[i], depth)]++] = items[i];
            std::copy(scratch.begin() + static_cast<std::ptrdiff_t>(begin),
                      scratch.begin() + static_cast<std::ptrdiff_t>(end),
                      items.begin() + static_cast<std::ptrdiff_t>(begin));
            // The largest bucket is sorted by this loop, the others by a call of their own,
            // each at most half as large, so the calls nest no deeper than log n.
            const auto largest = std::max_element(count.begin() + 1, count.end());
            std::size_t next = begin + count[0];
            std::size_t largestBegin = next;
            for (auto b = count.begin() + 1; b != count.end(); next += *b++) {
                if (b == largest)
                    largestBegin = next;
                else if (*b > 1)
                    sort(next, next + *b, depth + 1);
            }
            begin = largestBegin;
            end = largestBegin + *largest;
            ++depth;
        }
    }

private:
    // 0 once the name has ended, so that a name sorts before its longer forms.
    static std::size_t bucket(const SortItem& item, std::size_t depth)
    {
        return item.length > depth ? 1u + ((item.cached >> (56 - 8 * (depth % 8))) & 0xFF) : 0u;
    }

    // How many bytes from `depth` to the end of the cached eight all names hold alike.
    std::size_t sharedBytes(std::size_t begin, std::size_t end, std::size_t depth) const
    {
        const std::uint64_t first = items[begin].cached;
        std::uint64_t differ = 0;
        std::size_t shortest = items[begin].length;
        for (std::size_t i = begin; i < end; ++i) {
            differ |= items[i].cached ^ first;
            shortest = std::min<std::size_t>(shortest, items[i].length);
        }
        if (shortest <= depth)
            return 0;
        const std::size_t window = 8 - depth % 8;
        const std::uint64_t ahead = differ << (8 * (depth % 8));
        const std::size_t alike = ahead == 0 ? window : static_cast<std::size_t>(std::countl_zero(ahead)) / 8;
        return std::min(alike, shortest - depth);
    }

    // Copies bytes depth to depth + 7 of each name, first byte highest.
    void cache(std::size_t begin, std::size_t end, std::size_t depth)
    {
        for (std::size_t i = begin; i < end; ++i) {
            SortItem& item = items[i];
            std::uint64_t bytes = 0;
            const std::size_t available =
                item.length > depth ? std::min<std::size_t>(8, item.length - depth) : 0;
            for (std::size_t k = 0; k < available; ++k)
                bytes |= std::uint64_t{static_cast<unsigned char>(lower[item.offset + depth + k])}
                         << (56 - 8 * k);
            item.cached = bytes;
        }
    }

    bool less(const SortItem& a, const SortItem& b, std::size_t depth) const
    {
        const std::size_t shared = std::min(a.length, b.length) - depth;
        const int c = std::memcmp(lower + a.offset + depth, lower + b.offset + depth, shared);
        return c < 0 || (c == 0 && a.length < b.length);
    }

    void insertionSort(std::size_t begin, std::size_t end, std::size_t depth)
    {
        for (std::size_t i = begin + 1; i < end; ++i) {
            const SortItem item = items[i];
            std::size_t j = i;
            for (; j > begin && less(item, items[j - 1], depth); --j)
                items[j] = items[j - 1];
            items[j] = item;
        }
    }

    const char* lower;
    std::vector<SortItem>& items;
    std::vector<SortItem> scratch;
};

void radixSort(std::vector<std::string>::iterator first, std::vector<std::string>::iterator last)
{
    std::size_t total = 0;
    for (auto k = first; k != last; ++k)
        total += k->size();
    std::string lower(total, '\0');
    std::vector<SortItem> items;
    items.reserve(static_cast<std::size_t>(last - first));
    std::size_t offset = 0;
    for (auto k = first; k != last; ++k) {
        std::transform(k->begin(), k->end(), lower.begin() + static_cast<std::ptrdiff_t>(offset),
                       Windows1252::toLower);
        items.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(k->size()),
                         static_cast<std::uint32_t>(items.size())});
        offset += k->size();
    }
    RadixSort(lower.data(), items).sort(0, items.size(), 0);
    std::vector<std::string> sorted;
    sorted.reserve(items.size());
    for (const SortItem& item : items)
        sorted.push_back(std::move(first[item.index]));
    std::move(sorted.begin(), sorted.end(), first);
}

} // namespace

KeyList::~KeyList()
{
    if (listener)
        listener->keyListDestroyed();
}

KeyList& KeyList::operator=(const KeyList& other)
{
    keys = other.keys;
    if (listener)
        listener->keysReset();
    return *this;
}

KeyList& KeyList::operator=(KeyList&& other) noexcept
{
    keys = std::move(other.keys);
    if (listener)
        listener->keysReset();
    return *this;
}

void KeyList::clear()
{
    keys.clear();
    if (listener)
        listener->keysReset();
}

int KeyList::add(std::string_view key)
{
    const auto place = std::upper_bound(keys.begin(), keys.end(), key, lessText);
    // The insertion first: it may move the keys, and begin() must be taken afterwards.
    const auto inserted = keys.insert(place, std::string(key));
    const int row = static_cast<int>(inserted - keys.begin());
    if (listener)
        listener->keyInserted(row);
    return row;
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
    if (listener)
        listener->keyRemoved(index);
}

// Packs the program wrote are in key-list order already, and keys added to a table later
// follow at its end: only the part after the ordered start is sorted, then merged.
void KeyList::sort()
{
    sortKeys();
    if (listener)
        listener->keysReset();
}

void KeyList::sortKeys()
{
    const auto unordered = std::is_sorted_until(keys.begin(), keys.end(), lessText);
    if (unordered == keys.end())
        return;
    radixSort(unordered, keys.end());
    std::inplace_merge(keys.begin(), unordered, keys.end(), lessText);
}
