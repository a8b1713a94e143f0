#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The per-key table: an ordered list of "name=value" entries whose names are looked up
// without regard to case (Windows-1252 rules) through a hash index. The name of an entry
// is its text up to the first "=", so a key containing "=" can never be found again.
//
// The index maps each upper-cased name to its last entry, the one a lookup answers. It is
// kept up to date on settings, in-place replacements and removals, so a lookup never scans
// the entries and any sequence of lookups, settings and removals by name costs O(1) each.
// Entries appended in bulk (appendNew, copyFrom) leave it to be rebuilt at the next lookup.
// A removed entry leaves a gap that later entries close only once the gaps outnumber the
// live entries; until then a position is found through a count of the live entries
// (a Fenwick tree) in O(log n). Only a table that once held a name with "=" (several
// entries under one name) rebuilds its index after a removal instead.
//
// The plug-ins receive tables of this type by reference, so its layout is part of the
// export contract: host and plug-ins link the one korvel_core library.
class THashedStringList
{
public:
    THashedStringList() = default;
    THashedStringList(const THashedStringList& other);
    THashedStringList& operator=(const THashedStringList& other);
    THashedStringList(THashedStringList&&) noexcept = default;
    THashedStringList& operator=(THashedStringList&&) noexcept = default;
    ~THashedStringList() = default;

    int count() const { return liveEntries; }
    // The length of all entries' texts, name "=" value, together.
    std::size_t textSize() const { return liveBytes; }
    std::string nameAt(int index) const;
    std::string valueAt(int index) const;
    // The same without a copy, valid until the table changes.
    std::string_view nameViewAt(int index) const { return entryAt(index).name(); }
    std::string_view valueViewAt(int index) const { return entryAt(index).value(); }
    // The value of the last entry named `name`, or "" when there is none.
    std::string value(std::string_view name) const;
    // A non-empty text replaces the entry in place (the name takes the case given here)
    // or appends "name=text"; an empty text deletes the entry.
    void setValue(std::string_view name, std::string_view text);
    int indexOfName(std::string_view name) const;
    void remove(int index);
    void clear();

    // For a caller that reads or writes one name in several tables at a time (the document,
    // with its five): the name hashed once by hashName, and values read without a copy (valid
    // until the table changes).
    static std::size_t hashName(std::string_view name);
    void setValue(std::string_view name, std::size_t hash, std::string_view text);
    std::string_view valueView(std::string_view name, std::size_t hash) const;
    // The same for names asked in about the order of the entries: the entry at `place` is
    // tried before the index. `place` moves on to the place after the entry found.
    std::string_view valueView(std::string_view name, std::size_t hash, std::size_t& place) const;
    // Room for `n` entries, so that filling the table does not move them step by step.
    void reserve(std::size_t n);
    // The same as setValue for a name the table holds no entry of (whatever its letter case),
    // which the caller knows: appended without a lookup, the index rebuilt at the next one.
    void appendNew(std::string_view name, std::string_view text);
    // appendNew for a text that `write` puts straight into the table: it is given room for
    // `room` bytes and returns how many it wrote (none: no entry).
    template <typename Write> void appendNewWritten(std::string_view name, std::size_t room, Write write)
    {
        char* const text = reserveEntry(name, room);
        commitEntry(name, room, write(text));
    }
    // The export's copy: for each entry of `source` in turn, this table's value for its name
    // becomes the source's value for that name (that of its last entry). So this table gains
    // one entry per name, at the place the name first occurs, with the value of its last
    // entry; what it held before stays unless the source names it.
    void copyFrom(const THashedStringList& source);

private:
    // An entry's text, name "=" value, lives in one of the table's blocks; a removed entry
    // is a gap without text.
    struct Entry
    {
        const char* text;
        std::uint32_t length;
        std::uint32_t nameLength; // position of the first "="
        bool isGap() const { return text == nullptr; }
        std::string_view name() const { return {text, nameLength}; }
        std::string_view value() const
        {
            return nameLength < length ? std::string_view(text + nameLength + 1, length - nameLength - 1)
                                       : std::string_view();
        }
    };

    struct Probe
    {
        std::size_t slot; // the name's slot, or the free slot where it would go
        int index;        // its entry, or -1
    };

    Probe probe(std::string_view name, std::size_t hash) const;
    // Between positions (what the interface counts) and places in `entries` (gaps included).
    bool hasGaps() const { return gaps != 0; }
    std::size_t placeOf(int index) const
    {
        return hasGaps() ? placeOfLive(index) : static_cast<std::size_t>(index);
    }
    int positionOf(std::size_t place) const
    {
        return hasGaps() ? positionAmongGaps(place) : static_cast<int>(place);
    }
    const Entry& entryAt(int index) const;
    void removeAt(std::size_t place);
    void eraseSlot(std::size_t s);
    void closeGaps();
    Entry makeEntry(std::string_view name, std::string_view text);
    // Room in a block for name "=" and a text of up to `room` bytes, name and "=" written;
    // returns where the text goes. commitEntry appends the entry with the text's actual
    // length and gives the rest of the room back; nothing may be allocated in between.
    char* reserveEntry(std::string_view name, std::size_t room);
    void commitEntry(std::string_view name, std::size_t room, std::size_t textLength);
    char* allocateText(std::size_t length);
    static std::uint32_t nameLengthOf(std::string_view name);
    void release(const Entry& e);
    void compactTexts();
    void indexEntry(int index) const;
    // A fresh index for the entries, sized for at least `room` of them.
    void rebuildIndex(std::size_t room = 0) const;
    void placeUniqueNames() const;
    // The Fenwick tree over the places: live entries before a place, the place of a position.
    void buildLiveCounts() const;
    void addLiveCount(std::size_t place, int delta) const;
    void appendLiveCount() const;
    int liveBefore(std::size_t place) const;
    int positionAmongGaps(std::size_t place) const;
    std::size_t placeOfLive(int index) const;

    std::vector<Entry> entries;
    int liveEntries = 0;
    std::size_t gaps = 0;
    // Live entries per range of places, kept only while there are gaps (empty otherwise).
    mutable std::vector<int> liveCounts;
    // Some entry's name was cut at an "=", so one name may stand for several entries.
    bool sharedNames = false;
    // Entry texts are stored in large blocks rather than one allocation each: a pack of
    // 100,000 keys fills five tables, and half a million small allocations would cost more
    // than the rest of the reading. Replaced and removed texts stay behind as waste until
    // it outweighs the live texts; then the live texts move to fresh blocks. A copy for the
    // export shares the blocks that hold its texts (copyFrom).
    struct Block
    {
        std::shared_ptr<char[]> data;
        std::size_t size;
        std::size_t used;
    };
    std::vector<Block> blocks;
    std::size_t smallBlock = 0; // the block that takes small texts; == blocks.size() when none
    std::size_t liveBytes = 0;
    std::size_t wasteBytes = 0;
    // Open addressing over entry places with linear probing; -1 marks a free slot.
    mutable std::vector<int> slots;
    mutable std::size_t used = 0;
    mutable bool indexValid = true;
};
