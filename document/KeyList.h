#pragma once

#include <string>
#include <string_view>
#include <vector>

// Told of every change to a key list once it is made, so that a view of the list follows it
// by itself.
class KeyListListener
{
public:
    // The list changed as a whole (emptied, filled, sorted, assigned).
    virtual void keysReset() = 0;
    // One key was inserted at, or removed from, `row`.
    virtual void keyInserted(int row) = 0;
    virtual void keyRemoved(int row) = 0;
    // The list is gone; it reports nothing more.
    virtual void keyListDestroyed() = 0;

protected:
    ~KeyListListener() = default;
};

// The document's key list: the keys a pack has, kept sorted alphabetically as a German reader
// expects, without regard to case (see compare). The same key may stand twice; names equal
// byte for byte keep the order in which they were added. Finding a key is a binary search.
class KeyList
{
public:
    KeyList() = default;
    ~KeyList();
    // A copy or a moved list has no listener; an assigned list keeps its own and tells it.
    KeyList(const KeyList& other) : keys(other.keys) {}
    KeyList(KeyList&& other) noexcept : keys(std::move(other.keys)) {}
    KeyList& operator=(const KeyList& other);
    KeyList& operator=(KeyList&& other) noexcept;

    // The one listener of the list, or none (nullptr). Listening changes nothing of the list.
    void setListener(KeyListListener* newListener) const { listener = newListener; }

    // The list's order, in three steps, each deciding only where the one before ties:
    // 1. the base forms: case ignored, a letter with a diacritic as its base letter, ß as ss,
    //    Æ as AE, Œ as OE; every other character as its lower-case byte;
    // 2. the lower-case forms byte by byte (Windows1252::compareText);
    // 3. the bytes themselves.
    // So plain ASCII names keep the order of their lower-case forms, and only names equal byte
    // for byte are equal.
    static int compare(std::string_view a, std::string_view b);
    // Steps 1 and 2 alone: names that differ only in case are equal. The list is in this order
    // as well, so such names stand together.
    static int compareWithoutCase(std::string_view a, std::string_view b);

    int count() const { return static_cast<int>(keys.size()); }
    bool empty() const { return keys.empty(); }
    const std::string& at(int index) const { return keys[static_cast<std::size_t>(index)]; }
    const std::vector<std::string>& items() const { return keys; }

    // Inserts the key at its sorted place, after any equal names; returns that place.
    int add(std::string_view key);
    // The first entry whose whole text equals the key without regard to case, or -1.
    int indexOf(std::string_view key) const;
    void removeAt(int index);
    void clear();

    // Bulk fill: append unsorted, then sort once (linear in the length of the names, and in
    // the same order as adding the names one by one); the listener hears of the fill when the
    // sort is done.
    void appendUnsorted(std::string key) { keys.push_back(std::move(key)); }
    void sort();

private:
    void sortKeys();

    std::vector<std::string> keys;
    mutable KeyListListener* listener = nullptr;
};
