#pragma once

#include <string>
#include <string_view>

// What a pack stores for one key: its translation text, its comment and its three flags
// (convert to HTML, keep line breaks, UNIX line ends), one entry in each of the five per-key
// tables. A flag holds the table's text as it stands: "1", "0", or whatever a file brought.
// Empty means the table has no entry for the key.
template <typename Text> struct BasicKeyRecord
{
    Text text;
    Text comment;
    Text htmlFlag;
    Text breakFlag;
    Text unixFlag;

    bool operator==(const BasicKeyRecord&) const = default;
};

using KeyRecord = BasicKeyRecord<std::string>;
// The same read in place from the tables; valid until the next change of a table.
using KeyRecordView = BasicKeyRecord<std::string_view>;

// Only the exact text "1" counts as on.
inline bool isFlagOn(std::string_view flag)
{
    return flag == "1";
}

// What a take-over stores for a flag box.
inline const char* flagText(bool on)
{
    return on ? "1" : "0";
}
