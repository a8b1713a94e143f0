#pragma once

#include <string>

// Whether the file at `path` can be handed to the system's loader: a regular file (or a link
// to one) holding a shared library for this machine whose program headers and loaded
// segments lie within the file. The loader maps the segments as the headers say and reads
// them without checking the file's length, so a truncated or zero-filled library would end
// the process with a bus error instead of failing to load; and opening a pipe would block.
// The file is read, never loaded.
bool isLoadableLibraryFile(const std::string& path);
