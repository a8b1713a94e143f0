#include "SafeFile.h"
#include "FileSizeLimit.h"
#include "SystemError.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(SafeFile, ReplaceCreatesNewFilesWithTheUsualPermissions)
{
    TempDir dir;
    const mode_t old = umask(022);
    SafeFile::replace(dir.path("fresh.xml"), "<r/>", FileError(dir.path("fresh.xml"), FileError::Step::save));
    umask(old);
    EXPECT_EQ(TempDir::read(dir.path("fresh.xml")), "<r/>");
    EXPECT_EQ(std::filesystem::status(dir.path("fresh.xml")).permissions(), std::filesystem::perms(0644));
}

TEST(SafeFile, AWriteThatFailsHalfWayLeavesTheOldFileAndNoTemporaryFile)
{
    TempDir dir;
    const std::string path = dir.write("pack.xml", "old content");
    std::string message;
    try {
        const FileSizeLimit fullDisk(4096);
        SafeFile::replace(path, std::string(100000, 'x'), FileError(path, FileError::Step::save));
    } catch (const std::runtime_error& e) {
        message = e.what();
    }

    EXPECT_EQ(message,
              "Datei \"" + path + "\" kann nicht gespeichert werden. Kein Platz mehr auf dem Datenträger.");
    EXPECT_EQ(TempDir::read(path), "old content");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root), {}), 1);
}

// The sync watched from inside the replace: what the target then holds, what the synced file
// holds and whether it is the target's file.
std::string syncedTarget;
std::vector<std::string> syncsSeen;

int watchedSync(int fd)
{
    struct stat synced = {}, named = {};
    fstat(fd, &synced);
    stat(syncedTarget.c_str(), &named);
    std::string content(64, '\0');
    content.resize(std::max<ssize_t>(pread(fd, content.data(), content.size(), 0), 0));
    syncsSeen.push_back(TempDir::read(syncedTarget) + " | " + content + " | " +
                        (synced.st_ino == named.st_ino ? "target" : "other file"));
    return ::fsync(fd);
}

TEST(SafeFile, TheNewContentIsSyncedInItsOwnFileBeforeItReplacesTheTarget)
{
    TempDir dir;
    syncedTarget = dir.write("pack.xml", "old content");
    syncsSeen.clear();
    struct Restore
    {
        int (*const sync)(int) = SafeFile::testing::syncFile;
        ~Restore() { SafeFile::testing::syncFile = sync; }
    } restore;
    SafeFile::testing::syncFile = watchedSync;
    SafeFile::replace(syncedTarget, "new content", FileError(syncedTarget, FileError::Step::save));
    ASSERT_FALSE(syncsSeen.empty());
    EXPECT_EQ(syncsSeen.front(), "old content | new content | other file");
    EXPECT_EQ(TempDir::read(syncedTarget), "new content");
}

} // namespace

namespace {

TEST(SafeFile, ASaveThroughADanglingLinkCreatesTheFileItNamesAndKeepsTheLink)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path("sub"));
    std::filesystem::create_symlink("sub/pack.xml", dir.path("link.xml"));
    std::filesystem::create_symlink("link.xml", dir.path("chain.xml"));
    SafeFile::replace(dir.path("chain.xml"), "<r/>", FileError(dir.path("chain.xml"), FileError::Step::save));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("chain.xml")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("link.xml")));
    EXPECT_EQ(TempDir::read(dir.path("sub/pack.xml")), "<r/>");
}

TEST(SafeFile, FailuresGiveTheCauseInGerman)
{
    TempDir dir;
    const std::string readOnly = dir.write("readonly.xml", "old");
    chmod(readOnly.c_str(), 0444);
    std::filesystem::create_symlink("loop.xml", dir.path("loop.xml"));
    const std::pair<std::string, std::string> cases[] = {
        {dir.path("missing/pack.xml"), "Datei oder Ordner nicht gefunden."},
        {dir.root.string(), "Das ist ein Ordner, keine Datei."},
        {readOnly, "Keine Berechtigung."},
        {"/dev/null", "Das Ziel ist keine gewöhnliche Datei."},
        {dir.path("loop.xml"), std::strerror(ELOOP)},
    };
    for (const auto& [path, reason] : cases) {
        try {
            SafeFile::replace(path, "<r/>", FileError(path, FileError::Step::save));
            ADD_FAILURE() << path;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Datei \"" + path + "\" kann nicht gespeichert werden. " + reason);
        }
        try {
            SafeFile::replace(path, "<r/>", FileError("shown.xml", FileError::Step::create));
            ADD_FAILURE() << path;
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), "shown.xml");
            EXPECT_EQ(e.step(), FileError::Step::create);
            EXPECT_EQ(e.cause(), reason);
        }
    }
    for (const int error : {ENOSPC, EFBIG, EDQUOT})
        EXPECT_EQ(SystemError::text(error), "Kein Platz mehr auf dem Datenträger.");
    EXPECT_EQ(SystemError::text(EROFS), "Das Dateisystem ist schreibgeschützt.");
    EXPECT_EQ(SystemError::text(EPERM), "Keine Berechtigung.");
}

} // namespace
