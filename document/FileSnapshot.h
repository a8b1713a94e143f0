#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct stat;

// What the program last saw of a pack's file, when it read or wrote it: enough to tell later
// whether another program (a version control checkout, a colleague's save) has changed it.
struct FileSnapshot
{
    bool known = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t contentHash = 0;

    // The file as `status` describes it, holding `bytes`.
    static FileSnapshot of(const struct stat& status, std::string_view bytes);
    // The file at `path` as it is now, holding `bytes` (just written); unknown when it can't
    // be looked at.
    static FileSnapshot ofFile(const std::string& path, std::string_view bytes);

    // Whether the file at `path` now differs from what was seen: its identity, size and time
    // of change alike mean unchanged, else its content decides. A file that is gone counts as
    // unchanged: writing it again loses nothing of anybody's.
    bool changedOnDisk(const std::string& path) const;
};

// A fast 64-bit hash of file content; equal content, equal hash.
std::uint64_t contentHash(std::string_view bytes);
