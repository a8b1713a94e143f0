#pragma once

#include "FileDialogSettings.h"
#include "UserDialogs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// What the window benchmarks share: dialogs that answer without a user, and the figures of
// one step timed many times.

// Open answers the pack's path, the unsaved-changes question "Nein", everything else "no";
// an error is printed, so that a benchmark of a failing step shows it.
class SilentDialogs : public UserDialogs
{
public:
    std::string packPath;

    void information(const std::string&) override {}
    void error(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
    Answer warning(const std::string&) override { return Answer::Nein; }
    bool confirmation(const std::string&) override { return false; }
    bool openFile(FileDialogSettings& dialog) override
    {
        dialog.fileName = packPath;
        return true;
    }
    bool saveFile(FileDialogSettings&) override { return false; }
};

struct Figures
{
    std::vector<double> samples;

    void time(const std::function<void()>& step)
    {
        const auto start = std::chrono::steady_clock::now();
        step();
        samples.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    void report(const char* what) const
    {
        std::vector<double> sorted = samples;
        std::sort(sorted.begin(), sorted.end());
        std::printf("%-44s median %8.3f ms   max %8.3f ms   (%zu runs)\n", what, sorted[sorted.size() / 2],
                    sorted.back(), sorted.size());
    }
};
