#include "THashedStringList.h"

#include "Windows1252.h"

#include <cstring>
#include <stdexcept>

namespace {

std::string_view nameOf(std::string_view text)
{
    return text.substr(0, text.find('='));
}

} // namespace

std::string THashedStringList::nameAt(int index) const
{
    return std::string(entryName(entries.at(static_cast<std::size_t>(index))));
}

std::string THashedStringList::valueAt(int index) const
{
    const Entry& e = entries.at(static_cast<std::size_t>(index));
    if (e.nameLength >= e.text.size())
        return {};
    return e.text.substr(e.nameLength + 1);
}

std::string THashedStringList::value(std::string_view name) const
{
    const int i = indexOfName(name);
    return i < 0 ? std::string() : valueAt(i);
}

void THashedStringList::setValue(std::string_view name, std::string_view text)
{
    setValue(name, hashName(name), text);
}

std::string_view THashedStringList::valueView(std::string_view name, std::size_t hash) const
{
    const int i = probe(name, hash).index;
    if (i < 0)
        return {};
    const Entry& e = entries[static_cast<std::size_t>(i)];
    return e.nameLength >= e.text.size() ? std::string_view()
                                         : std::string_view(e.text).substr(e.nameLength + 1);
}

void THashedStringList::setValue(std::string_view name, std::size_t hash, std::string_view text)
{
    const Probe found = probe(name, hash);
    if (text.empty()) {
        if (found.index >= 0)
            remove(found.index);
        return;
    }
    if (found.index >= 0) {
        // Replaced in place: the name only changes its letter case, so the index stays right.
        Entry& e = entries[static_cast<std::size_t>(found.index)];
        e.text.assign(name);
        e.text += '=';
        e.text += text;
        e.nameLength = static_cast<std::uint32_t>(nameOf(e.text).size());
        return;
    }
    append(name, text);
    const int index = count() - 1;
    // A name holding "=" is filed under the part before it, which has a slot of its own.
    if (entries.back().nameLength != name.size() || (used + 1) * 2 > slots.size()) {
        indexEntry(index);
        return;
    }
    slots[found.slot] = index;
    ++used;
}

int THashedStringList::indexOfName(std::string_view name) const
{
    return probe(name, hashName(name)).index;
}

THashedStringList::Probe THashedStringList::probe(std::string_view name, std::size_t hash) const
{
    if (!indexValid || slots.empty())
        rebuildIndex();
    const std::size_t mask = slots.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const int i = slots[s];
        if (i < 0 || Windows1252::sameText(entryName(entries[static_cast<std::size_t>(i)]), name))
            return {s, i};
    }
}

void THashedStringList::remove(int index)
{
    if (index < 0 || index >= count())
        throw std::out_of_range("THashedStringList: index out of range");
    entries.erase(entries.begin() + index);
    // Every later entry moved down by one: the index is rebuilt at the next lookup.
    indexValid = false;
}

void THashedStringList::clear()
{
    entries.clear();
    slots.clear();
    used = 0;
    indexValid = true;
}

void THashedStringList::append(std::string_view name, std::string_view text)
{
    Entry e;
    e.text.reserve(name.size() + 1 + text.size());
    e.text.append(name);
    e.text += '=';
    e.text.append(text);
    e.nameLength = static_cast<std::uint32_t>(nameOf(e.text).size());
    entries.push_back(std::move(e));
}

// Points the slot of the entry's name at this entry; a later entry of the same name wins,
// so a lookup answers the last entry of a name.
void THashedStringList::indexEntry(int index) const
{
    if ((used + 1) * 2 > slots.size()) {
        rebuildIndex();
        return;
    }
    const std::string_view name = entryName(entries[static_cast<std::size_t>(index)]);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t s = hashName(name) & mask;; s = (s + 1) & mask) {
        const int i = slots[s];
        if (i < 0) {
            slots[s] = index;
            ++used;
            return;
        }
        if (Windows1252::sameText(entryName(entries[static_cast<std::size_t>(i)]), name)) {
            slots[s] = index;
            return;
        }
    }
}

void THashedStringList::rebuildIndex() const
{
    std::size_t size = 16;
    while (size < entries.size() * 4)
        size *= 2;
    slots.assign(size, -1);
    used = 0;
    indexValid = true;
    for (int i = 0; i < count(); ++i)
        indexEntry(i);
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
