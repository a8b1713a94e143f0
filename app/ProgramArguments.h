#pragma once

#include <optional>
#include <string>
#include <vector>

// What Korvel's command line asks for: nothing (the window starts empty), a pack to open right
// after start-up, the help or the version, or a wrong use, which is refused before any window
// appears. Texts are German, as the program's.
struct ProgramArguments
{
    enum class Kind { Start, Help, Version, Wrong };

    Kind kind = Kind::Start;
    // Start: the pack to open, if one was given.
    std::optional<std::string> file;
    // Help and Version: what to print on standard output; Wrong: the line for standard error.
    std::string text;

    // The arguments after the program's name, once Qt has taken its own options.
    static ProgramArguments parse(const std::vector<std::string>& arguments);
};
