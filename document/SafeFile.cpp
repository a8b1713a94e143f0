#include "SafeFile.h"

#include "SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

namespace testing {
int (*syncFile)(int fd) = ::fsync;
} // namespace testing

namespace {

[[noreturn]] void fail(const FileError& failure, const std::string& reason)
{
    throw failure.because(reason);
}

[[noreturn]] void fail(const FileError& failure, int error)
{
    fail(failure, SystemError::text(error));
}

// The file a path names once its links are followed, also when the last link points to a
// file that does not exist yet: a save through a dangling link creates that file and keeps
// the link.
std::filesystem::path followLinks(const FileError& failure, std::filesystem::path path)
{
    std::error_code ec;
    for (int hops = 0; std::filesystem::is_symlink(path, ec); ++hops) {
        // The kernel's own limit on links followed in one lookup.
        if (hops == 40)
            fail(failure, ELOOP);
        const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec)
            fail(failure, ec.value());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

} // namespace

void replace(const std::string& path, std::string_view bytes, const FileError& failure)
{
    namespace fs = std::filesystem;
    if (path.empty())
        fail(failure, ENOENT);
    // A link stays a link: the file it points to is the one replaced.
    const fs::path target = followLinks(failure, path);
    const std::string targetName = target.string();

    struct stat old
    {
    };
    const bool exists = ::stat(targetName.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        fail(failure, EISDIR);
    // A device or a pipe is no file to replace: renamed over, it would be gone.
    if (exists && !S_ISREG(old.st_mode))
        fail(failure, "Das Ziel ist keine gewöhnliche Datei.");
    // Read-only stays read-only even for root, as a direct write would be refused.
    if (exists && ::access(targetName.c_str(), W_OK) != 0)
        fail(failure, errno);
    if (exists && (old.st_mode & 0222) == 0)
        fail(failure, EACCES);

    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    // A hidden name beside the target, so the rename stays within one file system.
    std::string hiddenName = target.filename().string();
    hiddenName.insert(0, 1, '.');
    hiddenName += ".XXXXXX";
    std::string temp = (folder / hiddenName).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        fail(failure, errno);

    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        fail(failure, error);
    };
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            abandon(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    mode_t mode = old.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        abandon(errno);
    if (exists && ::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != 0) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        abandon(errno);
    if (testing::syncFile(fd) != 0)
        abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        fail(failure, error);
    }
    if (::rename(temp.c_str(), targetName.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        fail(failure, error);
    }
}

} // namespace SafeFile
