#pragma once

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

// A fresh folder per test, removed afterwards, with small file helpers.
class TempDir
{
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvel-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        root = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(root, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(root, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path(const std::string& name) const { return (root / name).string(); }

    std::string write(const std::string& name, const std::string& bytes) const
    {
        const std::string p = path(name);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path root;
};
