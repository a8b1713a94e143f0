#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

// Runs a shell command line and collects what it prints and how it ended.
struct ProcessResult
{
    int exitCode = -1;
    std::string out;
};

inline ProcessResult runCommand(const std::string& commandLine)
{
    ProcessResult result;
    FILE* pipe = ::popen(commandLine.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 65536> chunk{};
    for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0;)
        result.out.append(chunk.data(), n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline std::string shellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}
