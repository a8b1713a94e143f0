#include "ExportHost.h"
#include "TempDir.h"
#include "TestPlugins.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace {

const std::string testProgram = KORVEL_TEST_PROGRAM_DIR;

// Not listed: a text file and a folder named *.so, a plug-in without Export_getExportName, one
// that throws from it, one whose file does not end in ".so".
TEST(PluginSearch, ListsEveryPluginThatTellsItsNameInTheOrderOfTheListing)
{
    const std::map<std::string, std::string> listed = {
        {"Recorder.so", "Recorder"}, {"Sparse.so", "Sparse"},    {"TwinA.so", "Twin"},
        {"TwinB.so", "TWIN"},        {"Equals.so", "Key=Value"}, {"Thrower.so", "Thrower"},
        {".Hidden.so", "Hidden"},    {"Faulty.so", "Faulty"},
    };
    std::vector<FoundPlugin> expected;
    for (const auto& entry : std::filesystem::directory_iterator(pluginPath(testProgram, "")))
        if (const auto it = listed.find(entry.path().filename().string()); it != listed.end())
            expected.push_back({it->second, it->first});
    ASSERT_EQ(expected.size(), listed.size());
    EXPECT_EQ(findPlugins(testProgram), expected);
    EXPECT_EQ(findPlugins(testProgram + "/"), expected);
    // Libraries it loaded stay loaded, listed or not.
    for (const char* fileName : {"Recorder.so", "BadName.so", "Nameless.so"}) {
        void* handle = ::dlopen(pluginPath(testProgram, fileName).c_str(), RTLD_NOW | RTLD_NOLOAD);
        EXPECT_NE(handle, nullptr) << fileName;
        if (handle)
            ::dlclose(handle);
    }
    for (const std::string& folder : {std::string(), testProgram + "/Plugins", std::string("/nonexistent")})
        EXPECT_TRUE(findPlugins(folder).empty()) << folder;
}

// Files that a broken installation can leave, each of which once ended the program or hung it
// at start-up: the loader maps a library's segments without checking the file's length, and
// opening a pipe waits for a writer. The search leaves them out and finds the real plug-in.
TEST(PluginSearch, LeavesOutBrokenLibrariesPipesAndDevices)
{
    TempDir program;
    const std::filesystem::path plugins = program.root / "Plugins";
    std::filesystem::create_directory(plugins);
    const std::string varnex = TempDir::read(std::string(KORVEL_PLUGIN_DIR) + "/Varnex.so");
    std::string header(64, '\0');
    header.replace(0, 8,
                   "\x7f"
                   "ELF\x02\x01\x01\x00");
    program.write("Plugins/header-only.so", header);
    program.write("Plugins/cut-short.so", varnex.substr(0, 4096));
    ASSERT_EQ(::mkfifo((plugins / "pipe.so").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", plugins / "device.so");
    program.write("Plugins/Varnex.so", varnex);
    EXPECT_EQ(findPlugins(program.root.string()), (std::vector<FoundPlugin>{{"Varnex", "Varnex.so"}}));
}

// Tables of different sizes, so that a table handed to the wrong setter shows.
TEST(ExportRun, CallsThePluginsFunctionsInOrderAndFreesItsModuleAlsoAfterAnError)
{
    THashedStringList values, html, breaks, unixEnds;
    for (const char* key : {"a", "b", "c", "d"})
        values.setValue(key, "Text");
    html.setValue("a", "1");
    html.setValue("b", "0");
    breaks.setValue("a", "1");
    const std::pair<const char*, const char*> runs[] = {
        {"Recorder.so", "Init;Keys 4;HTML 2;Breaks 1;Linebreaks 0;FileName /x/out;Start;Free;"},
        {"Sparse.so", "Init;Keys 4;FileName /x/out;Start;Free;"},
        {"Thrower.so", "Init;Keys 4;HTML 2;Breaks 1;Linebreaks 0;FileName /x/out;Start;Free;"},
    };
    findPlugins(testProgram);
    for (const auto& [fileName, calls] : runs) {
        takeTestPluginCalls(testProgram, fileName);
        const PluginLibrary library(pluginPath(testProgram, fileName));
        try {
            runExport(library.functions(), values, html, breaks, unixEnds, "/x/out");
            EXPECT_NE(std::string(fileName), "Thrower.so");
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Thrower: Export fehlgeschlagen");
        }
        EXPECT_EQ(takeTestPluginCalls(testProgram, fileName), calls);
    }
}

} // namespace
