#include "SafeFile.h"
#include "FileSizeLimit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(SafeFile, ReplaceCreatesNewFilesWithTheUsualPermissions)
{
    TempDir dir;
    const mode_t old = umask(022);
    SafeFile::replace(dir.path("fresh.xml"), "<r/>", "failed");
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
        SafeFile::replace(path, std::string(100000, 'x'), "Datei kann nicht gespeichert werden.");
    } catch (const std::runtime_error& e) {
        message = e.what();
    }

    EXPECT_EQ(message.rfind("Datei kann nicht gespeichert werden. ", 0), 0u) << message;
    EXPECT_EQ(TempDir::read(path), "old content");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root), {}), 1);
}

} // namespace
