#include "KeyList.h"

#include "Windows1252.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// The base form of each byte (the first step of the order): one byte, or two for ß, Æ and Œ.
// Letters not named here and all other characters stand for their lower-case byte, so they
// keep the order the list had when it compared lower-case forms alone.
struct BaseForms
{
    std::array<std::array<unsigned char, 2>, 256> form{};
    std::array<unsigned char, 256> length{};

    constexpr BaseForms()
    {
        for (int c = 0; c < 256; ++c)
            set(c, static_cast<unsigned char>(Windows1252::toLower(static_cast<char>(c))));
        // The upper-case letters from À to Ý; their lower-case forms stand 0x20 above.
        const auto letters = [this](int first, int last, char base) {
            for (int c = first; c <= last; ++c) {
                set(c, static_cast<unsigned char>(base));
                set(c + 0x20, static_cast<unsigned char>(base));
            }
        };
        letters(0xC0, 0xC5, 'a'); // À Á Â Ã Ä Å
        letters(0xC7, 0xC7, 'c'); // Ç
        letters(0xC8, 0xCB, 'e'); // È É Ê Ë
        letters(0xCC, 0xCF, 'i'); // Ì Í Î Ï
        letters(0xD1, 0xD1, 'n'); // Ñ
        letters(0xD2, 0xD6, 'o'); // Ò Ó Ô Õ Ö
        letters(0xD8, 0xD8, 'o'); // Ø
        letters(0xD9, 0xDC, 'u'); // Ù Ú Û Ü
        letters(0xDD, 0xDD, 'y'); // Ý
        for (const int c : {0x8A, 0x9A})
            set(c, 's'); // Š š
        for (const int c : {0x8E, 0x9E})
            set(c, 'z'); // Ž ž
        for (const int c : {0x9F, 0xFF})
            set(c, 'y');     // Ÿ ÿ
        set(0xDF, 's', 's'); // ß
        set(0xC6, 'a', 'e'); // Æ
        set(0xE6, 'a', 'e'); // æ
        set(0x8C, 'o', 'e'); // Œ
        set(0x9C, 'o', 'e'); // œ
    }

    constexpr void set(int byte, unsigned char first, unsigned char second = 0)
    {
        form[static_cast<std::size_t>(byte)] = {first, second};
        length[static_cast<std::size_t>(byte)] = second == 0 ? 1 : 2;
    }
};

constexpr BaseForms baseForms;

std::size_t baseLength(std::string_view name)
{
    std::size_t length = 0;
    for (const char c : name)
        length += baseForms.length[static_cast<unsigned char>(c)];
    return length;
}

// Reads the base form of a name one byte at a time.
class BaseCursor
{
public:
    BaseCursor(std::string_view name, std::size_t from)
        : at(name.data() + from), end(name.data() + name.size())
    {
    }

    // The next byte, or -1 once the form has ended, so that a form sorts before its longer forms.
    int next()
    {
        if (pending >= 0)
            return std::exchange(pending, -1);
        if (at == end)
            return -1;
        const auto byte = static_cast<unsigned char>(*at++);
        if (baseForms.length[byte] == 2)
            pending = baseForms.form[byte][1];
        return baseForms.form[byte][0];
    }

private:
    const char* at;
    const char* end;
    int pending = -1;
};

inline int compareBaseForms(std::string_view a, std::string_view b)
{
    // Keys share long prefixes, and equal bytes have equal base forms: skip those first.
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    // Mostly the first differing bytes stand for one base byte each and decide at once.
    if (i < n) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        const unsigned char p = baseForms.form[x][0];
        const unsigned char q = baseForms.form[y][0];
        if (p != q && baseForms.length[x] == 1 && baseForms.length[y] == 1)
            return p < q ? -1 : 1;
    }
    BaseCursor x(a, i);
    BaseCursor y(b, i);
    for (;;) {
        const int p = x.next();
        const int q = y.next();
        if (p != q)
            return p < q ? -1 : 1;
        if (p < 0)
            return 0;
    }
}

// The bodies of KeyList::compareWithoutCase and KeyList::compare, which the sort and the
// searches inline; a call through the library's exported functions could not be.
inline int orderWithoutCase(std::string_view a, std::string_view b)
{
    const int c = compareBaseForms(a, b);
    return c != 0 ? c : Windows1252::compareText(a, b);
}

inline int order(std::string_view a, std::string_view b)
{
    const int c = orderWithoutCase(a, b);
    return c != 0 ? c : (a == b ? 0 : (a < b ? -1 : 1));
}

bool lessKey(std::string_view a, std::string_view b)
{
    return order(a, b) < 0;
}

bool lessWithoutCase(std::string_view a, std::string_view b)
{
    return orderWithoutCase(a, b) < 0;
}

// The order of names whose base forms are equal: the last two steps.
bool lessTie(std::string_view a, std::string_view b)
{
    const int c = Windows1252::compareText(a, b);
    return c < 0 || (c == 0 && a < b);
}

// A name being sorted: its base form in a buffer shared by all, its place before, and
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

// Names sorted by their base forms, byte by byte from the front: each byte position
// distributes the names into buckets, so the work grows with the bytes that tell the names
// apart and not with n log n comparisons. Names whose base forms are equal (mostly names that
// differ in case alone, so few) are then ordered by the last two steps of the order.
class RadixSort
{
public:
    RadixSort(const char* forms, const std::string* sortedNames, std::vector<SortItem>& sortItems)
        : base(forms), names(sortedNames), items(sortItems), scratch(sortItems.size())
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
                if (full == count.begin()) {
                    breakTies(begin, end);
                    return;
                }
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
            // The names that ended here have equal base forms.
            if (count[0] > 1)
                breakTies(begin, begin + count[0]);
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
                bytes |= std::uint64_t{static_cast<unsigned char>(base[item.offset + depth + k])}
                         << (56 - 8 * k);
            item.cached = bytes;
        }
    }

    bool less(const SortItem& a, const SortItem& b, std::size_t depth) const
    {
        const std::size_t shared = std::min(a.length, b.length) - depth;
        const int c = std::memcmp(base + a.offset + depth, base + b.offset + depth, shared);
        if (c != 0 || a.length != b.length)
            return c < 0 || (c == 0 && a.length < b.length);
        return lessTie(names[a.index], names[b.index]);
    }

    // Sorts items[begin, end), whose base forms are all equal.
    void breakTies(std::size_t begin, std::size_t end)
    {
        std::stable_sort(
            items.begin() + static_cast<std::ptrdiff_t>(begin),
            items.begin() + static_cast<std::ptrdiff_t>(end),
            [this](const SortItem& a, const SortItem& b) { return lessTie(names[a.index], names[b.index]); });
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

    const char* base;
    const std::string* names;
    std::vector<SortItem>& items;
    std::vector<SortItem> scratch;
};

void radixSort(std::vector<std::string>::iterator first, std::vector<std::string>::iterator last)
{
    std::size_t total = 0;
    for (auto k = first; k != last; ++k)
        total += k->size();
    std::string base(total, '\0');
    std::vector<SortItem> items;
    items.reserve(static_cast<std::size_t>(last - first));
    std::size_t at = 0;
    for (auto k = first; k != last; ++k) {
        const std::size_t start = at;
        if (start + k->size() > base.size())
            base.resize(base.size() + base.size() / 4 + k->size());
        // Most names have a form of one byte per byte: written in one go, the lengths only
        // gathered. A name with ß, Æ or Œ is written again, its form being longer.
        unsigned wide = 0;
        char* out = base.data() + start;
        for (const char c : *k) {
            const auto byte = static_cast<unsigned char>(c);
            *out++ = static_cast<char>(baseForms.form[byte][0]);
            wide |= baseForms.length[byte];
        }
        at += k->size();
        if (wide > 1) {
            if (const std::size_t length = baseLength(*k); start + length > base.size())
                base.resize(base.size() + base.size() / 4 + length);
            out = base.data() + start;
            for (const char c : *k) {
                const auto byte = static_cast<unsigned char>(c);
                *out++ = static_cast<char>(baseForms.form[byte][0]);
                if (baseForms.length[byte] == 2)
                    *out++ = static_cast<char>(baseForms.form[byte][1]);
            }
            at = static_cast<std::size_t>(out - base.data());
        }
        items.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(at - start),
                         static_cast<std::uint32_t>(items.size())});
    }
    RadixSort(base.data(), &*first, items).sort(0, items.size(), 0);
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

int KeyList::compareWithoutCase(std::string_view a, std::string_view b)
{
    return orderWithoutCase(a, b);
}

int KeyList::compare(std::string_view a, std::string_view b)
{
    return order(a, b);
}

int KeyList::add(std::string_view key)
{
    const auto place = std::upper_bound(keys.begin(), keys.end(), key, lessKey);
    // The insertion first: it may move the keys, and begin() must be taken afterwards.
    const auto inserted = keys.insert(place, std::string(key));
    const int row = static_cast<int>(inserted - keys.begin());
    if (listener)
        listener->keyInserted(row);
    return row;
}

int KeyList::indexOf(std::string_view key) const
{
    // Names that differ only in case stand together; the first of them is wanted.
    const auto place = std::lower_bound(keys.begin(), keys.end(), key, lessWithoutCase);
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
    const auto unordered = std::is_sorted_until(keys.begin(), keys.end(), lessKey);
    if (unordered == keys.end())
        return;
    radixSort(unordered, keys.end());
    std::inplace_merge(keys.begin(), unordered, keys.end(), lessKey);
}
