#include "THashedStringList.h"

#include "Windows1252.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::size_t blockSize = 64 * 1024;

} // namespace

THashedStringList::THashedStringList(const THashedStringList& other) : sharedNames(other.sharedNames)
{
    smallBlock = 0;
    entries.reserve(static_cast<std::size_t>(other.liveEntries));
    for (const Entry& e : other.entries)
        if (!e.isGap())
            entries.push_back(makeEntry(e.name(), e.value()));
    liveEntries = other.liveEntries;
    rebuildIndex();
}

THashedStringList& THashedStringList::operator=(const THashedStringList& other)
{
    if (this != &other)
        *this = THashedStringList(other);
    return *this;
}

const THashedStringList::Entry& THashedStringList::entryAt(int index) const
{
    if (index < 0 || index >= count())
        throw std::out_of_range("THashedStringList: index out of range");
    return entries[placeOf(index)];
}

std::string THashedStringList::nameAt(int index) const
{
    return std::string(entryAt(index).name());
}

std::string THashedStringList::valueAt(int index) const
{
    return std::string(entryAt(index).value());
}

std::string THashedStringList::value(std::string_view name) const
{
    return std::string(valueView(name, hashName(name)));
}

void THashedStringList::setValue(std::string_view name, std::string_view text)
{
    setValue(name, hashName(name), text);
}

std::string_view THashedStringList::valueView(std::string_view name, std::size_t hash) const
{
    const int i = probe(name, hash).index;
    return i < 0 ? std::string_view() : entries[static_cast<std::size_t>(i)].value();
}

std::string_view THashedStringList::valueView(std::string_view name, std::size_t hash,
                                              std::size_t& place) const
{
    // Without a name cut at an "=", the entry that carries the name is the one a lookup finds.
    if (!sharedNames && place < entries.size() && !entries[place].isGap() &&
        Windows1252::sameText(entries[place].name(), name))
        return entries[place++].value();
    const int i = probe(name, hash).index;
    if (i < 0)
        return {};
    place = static_cast<std::size_t>(i) + 1;
    return entries[static_cast<std::size_t>(i)].value();
}

void THashedStringList::setValue(std::string_view name, std::size_t hash, std::string_view text)
{
    const Probe found = probe(name, hash);
    if (text.empty()) {
        if (found.index >= 0)
            removeAt(static_cast<std::size_t>(found.index));
        return;
    }
    if (found.index >= 0) {
        // Replaced in place: the name only changes its letter case, so the index stays right.
        Entry& e = entries[static_cast<std::size_t>(found.index)];
        const Entry old = e;
        e = makeEntry(name, text);
        release(old);
        return;
    }
    entries.push_back(makeEntry(name, text));
    ++liveEntries;
    if (!liveCounts.empty())
        appendLiveCount();
    const int place = static_cast<int>(entries.size()) - 1;
    // A name holding "=" is filed under the part before it, which has a slot of its own.
    if (entries.back().nameLength != name.size()) {
        sharedNames = true;
        indexEntry(place);
        return;
    }
    if ((used + 1) * 2 > slots.size()) {
        indexEntry(place);
        return;
    }
    slots[found.slot] = place;
    ++used;
}

void THashedStringList::reserve(std::size_t n)
{
    entries.reserve(n);
}

void THashedStringList::appendNew(std::string_view name, std::string_view text)
{
    if (text.empty())
        return;
    appendNewWritten(name, text.size(), [text](char* to) {
        std::memcpy(to, text.data(), text.size());
        return text.size();
    });
}

void THashedStringList::copyFrom(const THashedStringList& source)
{
    if (count() == 0 && !source.sharedNames && this != &source) {
        // Each name of the source once: the copy is its entries, in their order. Their texts
        // stay where they are, in blocks both tables share: a text is never changed in place,
        // and this table writes its later texts into blocks of its own.
        clear();
        blocks = source.blocks;
        smallBlock = blocks.size();
        liveBytes = source.liveBytes;
        wasteBytes = source.wasteBytes;
        entries.reserve(static_cast<std::size_t>(source.liveEntries));
        for (const Entry& e : source.entries)
            if (!e.isGap())
                entries.push_back(e);
        liveEntries = source.liveEntries;
        // Without gaps the places are the source's, and so is the index.
        indexValid = source.gaps == 0 && source.indexValid && !source.slots.empty();
        if (indexValid) {
            slots = source.slots;
            used = source.used;
        }
        return;
    }
    // Setting every entry in turn gives the same without looking each name up in the source:
    // a later entry of a name replaces the earlier one in place, name case included, and a
    // table holds no entry with an empty value that could remove a name.
    const int n = source.count();
    for (int i = 0; i < n; ++i)
        setValue(source.nameAt(i), source.valueAt(i));
}

int THashedStringList::indexOfName(std::string_view name) const
{
    const int place = probe(name, hashName(name)).index;
    return place < 0 ? -1 : positionOf(static_cast<std::size_t>(place));
}

THashedStringList::Probe THashedStringList::probe(std::string_view name, std::size_t hash) const
{
    if (!indexValid || slots.empty())
        rebuildIndex();
    const std::size_t mask = slots.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const int i = slots[s];
        if (i < 0 || Windows1252::sameText(entries[static_cast<std::size_t>(i)].name(), name))
            return {s, i};
    }
}

void THashedStringList::remove(int index)
{
    entryAt(index);
    removeAt(placeOf(index));
}

void THashedStringList::removeAt(std::size_t place)
{
    const Entry e = entries[place];
    if (sharedNames) {
        // Another entry under the same name may have to answer now: found by a full rebuild.
        indexValid = false;
    } else {
        if (!indexValid || slots.empty())
            rebuildIndex();
        const std::size_t mask = slots.size() - 1;
        std::size_t s = hashName(e.name()) & mask;
        while (slots[s] != static_cast<int>(place))
            s = (s + 1) & mask;
        eraseSlot(s);
    }
    entries[place] = {nullptr, 0, 0};
    --liveEntries;
    ++gaps;
    release(e);
    if (!liveCounts.empty())
        addLiveCount(place, -1);
    // Gaps at the end are simply dropped; others wait until they outnumber the entries.
    while (!entries.empty() && entries.back().isGap()) {
        entries.pop_back();
        --gaps;
        if (!liveCounts.empty())
            liveCounts.pop_back();
    }
    if (gaps == 0)
        liveCounts.clear();
    else if (gaps > static_cast<std::size_t>(liveEntries) && gaps >= 64)
        closeGaps();
}

void THashedStringList::closeGaps()
{
    std::erase_if(entries, [](const Entry& e) { return e.isGap(); });
    gaps = 0;
    liveCounts.clear();
    rebuildIndex();
}

// liveCounts[k - 1] counts the live entries at the places k - lowbit(k) to k - 1.
void THashedStringList::buildLiveCounts() const
{
    const std::size_t n = entries.size();
    liveCounts.assign(n, 0);
    for (std::size_t k = 1; k <= n; ++k) {
        liveCounts[k - 1] += entries[k - 1].isGap() ? 0 : 1;
        if (const std::size_t up = k + (k & -k); up <= n)
            liveCounts[up - 1] += liveCounts[k - 1];
    }
}

void THashedStringList::addLiveCount(std::size_t place, int delta) const
{
    for (std::size_t k = place + 1; k <= liveCounts.size(); k += k & -k)
        liveCounts[k - 1] += delta;
}

// The entry just appended is live; its count covers the places below it that its range takes.
void THashedStringList::appendLiveCount() const
{
    const std::size_t k = entries.size();
    liveCounts.push_back(1 + liveBefore(k - 1) - liveBefore(k - (k & -k)));
}

int THashedStringList::positionAmongGaps(std::size_t place) const
{
    if (liveCounts.empty())
        buildLiveCounts();
    return liveBefore(place);
}

int THashedStringList::liveBefore(std::size_t place) const
{
    int sum = 0;
    for (std::size_t k = place; k > 0; k -= k & -k)
        sum += liveCounts[k - 1];
    return sum;
}

std::size_t THashedStringList::placeOfLive(int index) const
{
    if (liveCounts.empty())
        buildLiveCounts();
    const std::size_t n = liveCounts.size();
    std::size_t step = 1;
    while (step * 2 <= n)
        step *= 2;
    std::size_t place = 0;
    int remaining = index + 1;
    for (; step > 0; step /= 2)
        if (place + step <= n && liveCounts[place + step - 1] < remaining) {
            place += step;
            remaining -= liveCounts[place - 1];
        }
    return place;
}

void THashedStringList::clear()
{
    entries.clear();
    liveEntries = 0;
    gaps = 0;
    liveCounts.clear();
    sharedNames = false;
    blocks.clear();
    smallBlock = 0;
    liveBytes = wasteBytes = 0;
    slots.clear();
    used = 0;
    indexValid = true;
}

// The length of the name an entry is filed under: up to its first "=". Names are short: a
// plain loop finds it sooner than a call of memchr.
std::uint32_t THashedStringList::nameLengthOf(std::string_view name)
{
    std::size_t length = 0;
    while (length < name.size() && name[length] != '=')
        ++length;
    return static_cast<std::uint32_t>(length);
}

// Room for `length` bytes in a block: small texts one after another in the current small
// block, a large one in a block of its own.
char* THashedStringList::allocateText(std::size_t length)
{
    if (length > blockSize / 4) {
        blocks.push_back({std::make_shared_for_overwrite<char[]>(length), length, length});
        if (smallBlock == blocks.size() - 1) // there was no small block
            smallBlock = blocks.size();
        return blocks.back().data.get();
    }
    if (smallBlock >= blocks.size() || blocks[smallBlock].size - blocks[smallBlock].used < length) {
        blocks.push_back({std::make_shared_for_overwrite<char[]>(blockSize), blockSize, 0});
        smallBlock = blocks.size() - 1;
    }
    Block& b = blocks[smallBlock];
    char* const at = b.data.get() + b.used;
    b.used += length;
    return at;
}

// Writes name "=" text into a block.
THashedStringList::Entry THashedStringList::makeEntry(std::string_view name, std::string_view text)
{
    const std::size_t length = name.size() + 1 + text.size();
    char* const at = allocateText(length);
    std::memcpy(at, name.data(), name.size());
    at[name.size()] = '=';
    std::memcpy(at + name.size() + 1, text.data(), text.size());
    liveBytes += length;
    return {at, static_cast<std::uint32_t>(length), nameLengthOf(name)};
}

char* THashedStringList::reserveEntry(std::string_view name, std::size_t room)
{
    char* const at = allocateText(name.size() + 1 + room);
    std::memcpy(at, name.data(), name.size());
    at[name.size()] = '=';
    return at + name.size() + 1;
}

void THashedStringList::commitEntry(std::string_view name, std::size_t room, std::size_t textLength)
{
    const std::size_t reserved = name.size() + 1 + room;
    const std::size_t length = name.size() + 1 + textLength;
    const bool ownBlock = reserved > blockSize / 4;
    Block& b = ownBlock ? blocks.back() : blocks[smallBlock];
    if (textLength == 0) {
        // No text, no entry, and the room goes back whole.
        if (!ownBlock) {
            b.used -= reserved;
        } else {
            blocks.pop_back();
            smallBlock = std::min(smallBlock, blocks.size());
        }
        return;
    }
    const char* at = b.data.get() + b.used - reserved;
    if (!ownBlock) {
        b.used -= reserved - length; // the last room taken in the small block
    } else if (reserved - length > blockSize) {
        // A large text takes a block of its own size rather than of its room.
        auto exact = std::make_shared_for_overwrite<char[]>(length);
        std::memcpy(exact.get(), at, length);
        b = {std::move(exact), length, length};
        at = b.data.get();
    }
    liveBytes += length;
    const std::uint32_t nameLength = nameLengthOf(name);
    // A name holding "=" is filed under the part before it, which the table may hold already.
    if (nameLength != name.size())
        sharedNames = true;
    entries.push_back({at, static_cast<std::uint32_t>(length), nameLength});
    ++liveEntries;
    if (!liveCounts.empty())
        appendLiveCount();
    indexValid = false;
}

void THashedStringList::release(const Entry& e)
{
    liveBytes -= e.length;
    wasteBytes += e.length;
    if (wasteBytes > blockSize && wasteBytes > liveBytes)
        compactTexts();
}

void THashedStringList::compactTexts()
{
    std::vector<Block> old = std::move(blocks);
    blocks.clear();
    smallBlock = 0;
    liveBytes = wasteBytes = 0;
    for (Entry& e : entries)
        if (!e.isGap())
            e = makeEntry(e.name(), e.value());
}

// Empties slot `s` and moves later slots of its run back, so that every name stays
// reachable from its home slot without markers of removed entries.
void THashedStringList::eraseSlot(std::size_t s)
{
    const std::size_t mask = slots.size() - 1;
    std::size_t hole = s;
    for (std::size_t j = (s + 1) & mask; slots[j] >= 0; j = (j + 1) & mask) {
        const std::size_t home = hashName(entries[static_cast<std::size_t>(slots[j])].name()) & mask;
        // The entry may move into the hole unless its home lies after the hole, up to j.
        const bool stays = hole < j ? home > hole && home <= j : home > hole || home <= j;
        if (!stays) {
            slots[hole] = slots[j];
            hole = j;
        }
    }
    slots[hole] = -1;
    --used;
}

void THashedStringList::indexEntry(int index) const
{
    if ((used + 1) * 2 > slots.size()) {
        rebuildIndex();
        return;
    }
    const std::string_view name = entries[static_cast<std::size_t>(index)].name();
    const std::size_t mask = slots.size() - 1;
    for (std::size_t s = hashName(name) & mask;; s = (s + 1) & mask) {
        const int i = slots[s];
        if (i < 0) {
            slots[s] = index;
            ++used;
            return;
        }
        if (Windows1252::sameText(entries[static_cast<std::size_t>(i)].name(), name)) {
            slots[s] = index;
            return;
        }
    }
}

void THashedStringList::rebuildIndex(std::size_t room) const
{
    std::size_t size = 16;
    while (size < std::max(room, static_cast<std::size_t>(liveEntries)) * 2)
        size *= 2;
    slots.assign(size, -1);
    used = 0;
    indexValid = true;
    if (!sharedNames) {
        placeUniqueNames();
        return;
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].isGap())
            indexEntry(static_cast<int>(i));
}

// Without a name cut at an "=", every entry has a name of its own: each takes the first free
// slot from its home, found without comparing names. A large table places its entries in the
// order of their home slots, so that the writes pass through the slots once instead of
// jumping about: those of one home and the next fill one run, and a run that reaches the end
// goes on from the first slot, as probing does.
void THashedStringList::placeUniqueNames() const
{
    const std::size_t mask = slots.size() - 1;
    used = static_cast<std::size_t>(liveEntries);
    if (liveEntries < 4096) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].isGap())
                continue;
            std::size_t s = hashName(entries[i].name()) & mask;
            while (slots[s] >= 0)
                s = (s + 1) & mask;
            slots[s] = static_cast<int>(i);
        }
        return;
    }
    // Home in the upper half, place in the lower; sorted by home in passes of 11 bits.
    std::vector<std::uint64_t> order, sorted(static_cast<std::size_t>(liveEntries));
    order.reserve(sorted.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].isGap())
            order.push_back((static_cast<std::uint64_t>(hashName(entries[i].name()) & mask) << 32) | i);
    constexpr int digitBits = 11;
    const int homeBits = std::countr_zero(slots.size());
    for (int shift = 32; shift < 32 + homeBits; shift += digitBits) {
        std::vector<std::size_t> start((1u << digitBits) + 1, 0);
        for (const std::uint64_t v : order)
            ++start[((v >> shift) & ((1u << digitBits) - 1)) + 1];
        for (std::size_t d = 1; d < start.size(); ++d)
            start[d] += start[d - 1];
        for (const std::uint64_t v : order)
            sorted[start[(v >> shift) & ((1u << digitBits) - 1)]++] = v;
        order.swap(sorted);
    }
    std::size_t next = 0;
    std::vector<int> wrapped;
    for (const std::uint64_t v : order) {
        const std::size_t s = std::max(static_cast<std::size_t>(v >> 32), next);
        if (s > mask) {
            wrapped.push_back(static_cast<int>(v & 0xFFFFFFFFu));
            continue;
        }
        slots[s] = static_cast<int>(v & 0xFFFFFFFFu);
        next = s + 1;
    }
    std::size_t s = 0;
    for (const int place : wrapped) {
        while (slots[s] >= 0)
            ++s;
        slots[s] = place;
    }
}

std::size_t THashedStringList::hashName(std::string_view name)
{
    // Upper-cased eight bytes at a time (ASCII by bit arithmetic, other bytes through the
    // code page's table), so names differing in case hash alike.
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ name.size();
    std::size_t i = 0;
    for (; i + 8 <= name.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, name.data() + i, 8);
        if (w & 0x8080808080808080ull) {
            char upper[8];
            for (int k = 0; k < 8; ++k)
                upper[k] = Windows1252::toUpper(name[i + static_cast<std::size_t>(k)]);
            std::memcpy(&w, upper, 8);
        } else {
            // Bytes from 'a' to 'z' lose their 0x20 bit.
            const std::uint64_t ones = 0x0101010101010101ull;
            const std::uint64_t aboveA = w + (0x80 - 'a') * ones;
            const std::uint64_t aboveZ = w + (0x80 - 'z' - 1) * ones;
            w -= ((aboveA & ~aboveZ) & 0x8080808080808080ull) >> 2;
        }
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    for (; i < name.size(); ++i)
        h = (h ^ static_cast<unsigned char>(Windows1252::toUpper(name[i]))) * 0x100000001B3ull;
    h ^= h >> 29;
    return static_cast<std::size_t>(h);
}
