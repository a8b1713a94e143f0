#include "FileSnapshot.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::int64_t nanoseconds(const struct timespec& t)
{
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

bool sameFile(const FileSnapshot& seen, const struct stat& now)
{
    return seen.device == static_cast<std::uint64_t>(now.st_dev) &&
           seen.inode == static_cast<std::uint64_t>(now.st_ino) &&
           seen.size == static_cast<std::uint64_t>(now.st_size) &&
           seen.modifiedNs == nanoseconds(now.st_mtim);
}

// The content of the regular file at `path`; false when it cannot be read whole.
bool readWhole(const std::string& path, std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat status
    {
    };
    bool fine = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (fine)
        bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (fine && done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return fine;
}

} // namespace

std::uint64_t contentHash(std::string_view bytes)
{
    // Four lanes of eight bytes a step, each mixed by a multiply and a shift and independent
    // of the others, so that the processor works on all four at once: well over ten gigabytes
    // a second, and looking at a large pack costs little beside reading it.
    constexpr std::uint64_t multiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t lane[4] = {0xCBF29CE484222325ull ^ (bytes.size() * multiplier), 0x84222325CBF29CE4ull,
                             0x2545F4914F6CDD1Dull, 0xD6E8FEB86659FD93ull};
    auto mix = [](std::uint64_t h, std::uint64_t word) {
        h = (h ^ word) * multiplier;
        return h ^ (h >> 29);
    };
    std::size_t i = 0;
    for (; i + 32 <= bytes.size(); i += 32)
        for (int k = 0; k < 4; ++k) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + i + 8 * static_cast<std::size_t>(k), 8);
            lane[k] = mix(lane[k], word);
        }
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, 8);
        lane[0] = mix(lane[0], word);
    }
    std::uint64_t tail = 0;
    if (i < bytes.size())
        std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    std::uint64_t h = mix(lane[0], tail);
    for (int k = 1; k < 4; ++k)
        h = mix(h, lane[k]);
    return h ^ (h >> 32);
}

FileSnapshot FileSnapshot::of(const struct stat& status, std::string_view bytes)
{
    return {true,
            static_cast<std::uint64_t>(status.st_dev),
            static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::uint64_t>(status.st_size),
            nanoseconds(status.st_mtim),
            ::contentHash(bytes)};
}

FileSnapshot FileSnapshot::ofFile(const std::string& path, std::string_view bytes)
{
    struct stat status
    {
    };
    if (::stat(path.c_str(), &status) != 0)
        return {};
    return of(status, bytes);
}

bool FileSnapshot::changedOnDisk(const std::string& path) const
{
    if (!known)
        return false;
    struct stat now
    {
    };
    if (::stat(path.c_str(), &now) != 0)
        return false;
    if (sameFile(*this, now))
        return false;
    if (!S_ISREG(now.st_mode) || static_cast<std::uint64_t>(now.st_size) != size)
        return true;
    std::string bytes;
    return !readWhole(path, bytes) || bytes.size() != size || ::contentHash(bytes) != contentHash;
}
