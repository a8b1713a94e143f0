#include "LibraryFile.h"

#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Closes the file however the check ends.
struct OpenFile
{
    int fd;
    ~OpenFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool readAt(int fd, void* into, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(fd, static_cast<char*>(into) + done, size - done, offset + static_cast<off_t>(done));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Whether the header is of a library for this process: the same word size, byte order and
// machine as the system's own shared object that is mapped into every process.
bool forThisMachine(const ElfW(Ehdr) & header)
{
    if (header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32))
        return false;
    const auto* own = reinterpret_cast<const ElfW(Ehdr)*>(::getauxval(AT_SYSINFO_EHDR));
    return !own || (header.e_ident[EI_DATA] == own->e_ident[EI_DATA] && header.e_machine == own->e_machine);
}

bool within(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize)
{
    return offset <= fileSize && size <= fileSize - offset;
}

} // namespace

bool isLoadableLibraryFile(const std::string& path)
{
    // Not blocking, so that a pipe is refused instead of waited for.
    const OpenFile file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat status
    {
    };
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    const auto fileSize = static_cast<std::uint64_t>(status.st_size);

    ElfW(Ehdr) header{};
    if (!readAt(file.fd, &header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return false;
    if (!forThisMachine(header) || header.e_type != ET_DYN || header.e_phentsize != sizeof(ElfW(Phdr)) ||
        header.e_phnum == 0 ||
        !within(header.e_phoff, std::uint64_t{header.e_phnum} * sizeof(ElfW(Phdr)), fileSize))
        return false;

    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    if (!readAt(file.fd, segments.data(), segments.size() * sizeof(ElfW(Phdr)),
                static_cast<off_t>(header.e_phoff)))
        return false;
    bool loads = false;
    for (const ElfW(Phdr) & segment : segments) {
        if (segment.p_type != PT_LOAD && segment.p_type != PT_DYNAMIC)
            continue;
        loads = loads || segment.p_type == PT_LOAD;
        if (!within(segment.p_offset, segment.p_filesz, fileSize) || segment.p_filesz > segment.p_memsz)
            return false;
    }
    return loads;
}
