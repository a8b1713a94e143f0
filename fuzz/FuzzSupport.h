#pragma once

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

// What the fuzz targets share: a scratch folder for the files they write, and the one way a
// broken property ends the run. libFuzzer takes an abort() as a crash and keeps the input.

// The input as text, for messages: printable ASCII as it stands, every other byte as \xHH.
inline std::string printable(std::string_view bytes, std::size_t limit = 200)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    if (bytes.size() > limit)
        out += "...";
    return out;
}

inline void removeScratch();

[[noreturn]] inline void propertyFailed(const std::string& what)
{
    std::fprintf(stderr, "\n*** property failed: %s\n", what.c_str());
    std::fflush(stderr);
    removeScratch();
    std::abort();
}

// Shows both texts from a little before the first byte where they differ.
inline void expectEqual(std::string_view actual, std::string_view expected, const std::string& what)
{
    if (actual == expected)
        return;
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const std::size_t from = at < 40 ? 0 : at - 40;
    const std::string lead = from > 0 ? "..." : "";
    propertyFailed(what + " (from byte " + std::to_string(at) + " on)\n    expected: \"" + lead +
                   printable(expected.substr(from), 160) + "\"\n    actual:   \"" + lead +
                   printable(actual.substr(from), 160) + "\"");
}

inline void expectTrue(bool condition, const std::string& what)
{
    if (!condition)
        propertyFailed(what);
}

// A folder of this process for the files a target writes, korvel-fuzz-<process id>. It lies
// in memory where possible (/dev/shm): the writers sync every file they replace, which on a
// disk would cost more than the rest of an iteration. KORVEL_FUZZ_TMP chooses another parent
// folder. It is removed when the process ends or a property fails; a process that a
// sanitizer ends leaves it behind, so the folders of processes that are gone are removed
// when the next one starts.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        namespace fs = std::filesystem;
        fs::path parent;
        if (const char* chosen = std::getenv("KORVEL_FUZZ_TMP"); chosen && *chosen)
            parent = chosen;
        else if (::access("/dev/shm", W_OK) == 0)
            parent = "/dev/shm";
        else
            parent = fs::temp_directory_path();
        removeLeftOvers(parent);
        root = parent / ("korvel-fuzz-" + std::to_string(::getpid()));
        std::error_code error;
        fs::remove_all(root, error);
        if (!fs::create_directory(root, error)) {
            std::fprintf(stderr, "korvel fuzz: no scratch folder %s\n", root.c_str());
            std::exit(1);
        }
    }
    ~ScratchFolder() { remove(); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const std::string& name) const { return (root / name).string(); }

    void remove() const
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::filesystem::path root;

private:
    static void removeLeftOvers(const std::filesystem::path& parent)
    {
        constexpr std::string_view prefix = "korvel-fuzz-";
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
            const std::string name = entry.path().filename().string();
            if (!name.starts_with(prefix) || name.size() == prefix.size() ||
                name.find_first_not_of("0123456789", prefix.size()) != std::string::npos)
                continue;
            const pid_t owner = static_cast<pid_t>(std::stol(name.substr(prefix.size())));
            if (::kill(owner, 0) != 0 && errno == ESRCH)
                std::filesystem::remove_all(entry.path(), error);
        }
    }
};

// The process's scratch folder, made at first use.
inline const ScratchFolder& scratch()
{
    static const ScratchFolder folder;
    return folder;
}

inline void removeScratch()
{
    scratch().remove();
}

inline void writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "korvel fuzz: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
