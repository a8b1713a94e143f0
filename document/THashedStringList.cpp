#include "THashedStringList.h"

#include "Windows1252.h"

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
    const int i = indexOfName(name);
    if (text.empty()) {
        if (i >= 0)
            remove(i);
        return;
    }
    if (i < 0) {
        append(name, text);
        return;
    }
    // Replaced in place: the name only changes its letter case, so the index stays right.
    Entry& e = entries[static_cast<std::size_t>(i)];
    e.text.assign(name);
    e.text += '=';
    e.text += text;
    e.nameLength = static_cast<std::uint32_t>(nameOf(e.text).size());
}

int THashedStringList::indexOfName(std::string_view name) const
{
    if (!indexValid)
        rebuildIndex();
    if (slots.empty())
        return -1;
    const std::size_t mask = slots.size() - 1;
    for (std::size_t s = hashName(name) & mask;; s = (s + 1) & mask) {
        const int i = slots[s];
        if (i < 0)
            return -1;
        if (Windows1252::sameText(entryName(entries[static_cast<std::size_t>(i)]), name))
            return i;
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
    if (indexValid)
        indexEntry(count() - 1);
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
    // FNV-1a over the upper-cased bytes, so names differing in case share a slot chain.
    std::uint64_t h = 14695981039346656037ull;
    for (char c : name) {
        h ^= static_cast<unsigned char>(Windows1252::toUpper(c));
        h *= 1099511628211ull;
    }
    return static_cast<std::size_t>(h ^ (h >> 29));
}
