#pragma once

#include <string>

// The reason a file operation failed, as the user reads it: the program's own German text
// for the common causes, the system's text for the rare rest.
namespace SystemError {

// The text for an errno value.
std::string text(int error);

// A path that names a device, a pipe or a socket rather than a file.
inline constexpr const char* notRegularFile = "Das ist keine gewöhnliche Datei.";

} // namespace SystemError
