#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The per-key table: an ordered list of "name=value" entries whose names are looked up
// without regard to case (Windows-1252 rules) through a hash index. The name of an entry
// is its text up to the first "=", so a key containing "=" can never be found again.
//
// The index maps each upper-cased name to its last entry, the one a lookup answers. It is
// kept up to date on appends and in-place replacements and rebuilt lazily after a removal,
// so filling a table with n keys costs O(n) and a lookup never scans the entries.
//
// The plug-ins receive tables of this type by reference, so its layout is part of the
// export contract: host and plug-ins link the one korvel_core library.
class THashedStringList
{
public:
    int count() const { return static_cast<int>(entries.size()); }
    std::string nameAt(int index) const;
    std::string valueAt(int index) const;
    // The value of the last entry named `name`, or "" when there is none.
    std::string value(std::string_view name) const;
    // A non-empty text replaces the entry in place (the name takes the case given here)
    // or appends "name=text"; an empty text deletes the entry.
    void setValue(std::string_view name, std::string_view text);
    int indexOfName(std::string_view name) const;
    void remove(int index);
    void clear();

private:
    // The document reads and writes one key in all five tables at a time: it hashes the
    // name once and reads values without copying them.
    friend class LanguagePack;
    void setValue(std::string_view name, std::size_t hash, std::string_view text);
    std::string_view valueView(std::string_view name, std::size_t hash) const;

    struct Entry
    {
        std::string text;         // name "=" value
        std::uint32_t nameLength; // position of the first "="
    };

    struct Probe
    {
        std::size_t slot; // the name's slot, or the free slot where it would go
        int index;        // its entry, or -1
    };

    std::string_view entryName(const Entry& e) const
    {
        return std::string_view(e.text).substr(0, e.nameLength);
    }
    Probe probe(std::string_view name, std::size_t hash) const;
    void append(std::string_view name, std::string_view text);
    void indexEntry(int index) const;
    void rebuildIndex() const;
    static std::size_t hashName(std::string_view name);

    std::vector<Entry> entries;
    // Open addressing over entry positions; -1 marks a free slot.
    mutable std::vector<int> slots;
    mutable std::size_t used = 0;
    mutable bool indexValid = true;
};
