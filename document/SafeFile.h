#pragma once

#include "FileError.h"

#include <string>
#include <string_view>

// How the program writes a whole file, packs and exported files alike: never over the old
// file in place. The new content goes into a hidden temporary file in the target's folder,
// is synced and then renamed over the target, so the target is at any time either the old
// file or the whole new one.
namespace SafeFile {

// Replaces `path` with `bytes`. A replaced file keeps its permissions (and, for root, its
// owner); a link stays a link and the file it points to is replaced, or created when the
// link points to no file yet. A target that may not be written is refused, also for root.
// On any failure the temporary file is removed and `failure` is thrown with the reason as
// its cause, in German for the common causes (SystemError).
void replace(const std::string& path, std::string_view bytes, const FileError& failure);

namespace testing {
// How `replace` makes the new content durable before the rename; ::fsync unless a test puts
// a wrapper around it to watch when and on which file it runs.
extern int (*syncFile)(int fd);
} // namespace testing

} // namespace SafeFile
