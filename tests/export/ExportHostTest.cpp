#include "ExportHost.h"
#include "TestPlugins.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <map>

namespace {

const std::string testProgram = KORVEL_TEST_PROGRAM_DIR;
const std::string realProgram = std::filesystem::path(KORVEL_PLUGIN_DIR).parent_path().string();

std::string takeCalls(const std::string& fileName)
{
    return takeTestPluginCalls(testProgram, fileName);
}

struct Tables
{
    THashedStringList values, html, breaks, unixEnds;
};

// Four tables of different sizes, so a table handed to the wrong setter shows.
Tables tablesOfSizes()
{
    Tables t;
    for (const char* key : {"a", "b", "c", "d"})
        t.values.setValue(key, "Text");
    for (const char* key : {"a", "b", "c"})
        t.html.setValue(key, "1");
    for (const char* key : {"a", "b"})
        t.breaks.setValue(key, "0");
    t.unixEnds.setValue("a", "1");
    return t;
}

TEST(PluginSearch, ListsEveryPluginThatTellsItsNameInTheOrderOfTheListing)
{
    const std::map<std::string, std::string> listed = {
        {"Recorder.so", "Recorder"}, {"Sparse.so", "Sparse"},    {"TwinA.so", "Twin"},
        {"TwinB.so", "TWIN"},        {"Equals.so", "Key=Value"}, {"Thrower.so", "Thrower"},
        {".Hidden.so", "Hidden"},
    };
    // Not listed: no library (a text file, a folder), no Export_getExportName, a name that
    // throws, a plug-in whose file does not end in ".so".
    std::vector<FoundPlugin> expected;
    for (const auto& entry : std::filesystem::directory_iterator(pluginPath(testProgram, "")))
        if (const auto it = listed.find(entry.path().filename().string()); it != listed.end())
            expected.push_back({it->second, it->first});
    ASSERT_EQ(expected.size(), listed.size());
    EXPECT_EQ(findPlugins(testProgram), expected);
    EXPECT_EQ(findPlugins(testProgram + "/"), expected);
}

TEST(PluginSearch, FindsTheSuppliedPluginsAsVarnexAndPhp)
{
    std::map<std::string, std::string> found;
    for (const FoundPlugin& plugin : findPlugins(realProgram))
        found[plugin.fileName] = plugin.exportName;
    EXPECT_EQ(found, (std::map<std::string, std::string>{{"Varnex.so", "Varnex"}, {"php.so", "PHP"}}));
}

TEST(PluginSearch, EveryLibraryItLoadedStaysLoadedListedOrNot)
{
    findPlugins(testProgram);
    for (const char* fileName : {"Recorder.so", "BadName.so", "Nameless.so"}) {
        void* handle = ::dlopen(pluginPath(testProgram, fileName).c_str(), RTLD_NOW | RTLD_NOLOAD);
        EXPECT_NE(handle, nullptr) << fileName;
        if (handle)
            ::dlclose(handle);
    }
    EXPECT_EQ(::dlopen(pluginPath(testProgram, "Disabled.so.off").c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}

TEST(PluginSearch, WithoutAFolderOrPluginsFolderFindsNothing)
{
    EXPECT_TRUE(findPlugins("").empty());
    EXPECT_TRUE(findPlugins(testProgram + "/Plugins").empty());
    EXPECT_TRUE(findPlugins("/nonexistent").empty());
}

TEST(ExportRun, CallsEveryFunctionInOrderWithTheTablesEachSetterTakes)
{
    findPlugins(testProgram);
    takeCalls("Recorder.so");
    const PluginLibrary library(pluginPath(testProgram, "Recorder.so"));
    const Tables t = tablesOfSizes();
    runExport(library.functions(), t.values, t.html, t.breaks, t.unixEnds, "/nonexistent/out.rec");
    EXPECT_EQ(takeCalls("Recorder.so"),
              "Init;Keys 4;HTML 3;Breaks 2;Linebreaks 1;FileName /nonexistent/out.rec;Start;Free;");
}

TEST(ExportRun, SkipsTheFunctionsAPluginLacks)
{
    findPlugins(testProgram);
    takeCalls("Sparse.so");
    const PluginLibrary library(pluginPath(testProgram, "Sparse.so"));
    const Tables t = tablesOfSizes();
    runExport(library.functions(), t.values, t.html, t.breaks, t.unixEnds, "/nonexistent/out.txt");
    EXPECT_EQ(takeCalls("Sparse.so"), "Init;Keys 4;FileName /nonexistent/out.txt;Start;Free;");
}

// The module of a failed run is freed before the error goes on; the next run starts afresh.
TEST(ExportRun, AnErrorInAPluginCallStillFreesTheModuleAndReachesTheCaller)
{
    findPlugins(testProgram);
    takeCalls("Thrower.so");
    const PluginLibrary library(pluginPath(testProgram, "Thrower.so"));
    const Tables t = tablesOfSizes();
    for (int run = 0; run < 2; ++run) {
        try {
            runExport(library.functions(), t.values, t.html, t.breaks, t.unixEnds, "out");
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Thrower: Export fehlgeschlagen");
        }
        EXPECT_EQ(takeCalls("Thrower.so"),
                  "Init;Keys 4;HTML 3;Breaks 2;Linebreaks 1;FileName out;Start;Free;");
    }
}

TEST(ExportFileType, TakesThePluginsAnswersOrTextFiles)
{
    struct Row
    {
        std::string program, fileName;
        ExportFileType expected;
    };
    const Row rows[] = {
        {realProgram,
         "Varnex.so",
         {"po", "VarNex-Dateien (*.po)|*.po|Alle Dateien (*.*)|*.*", "Varnex-Export"}},
        {realProgram,
         "php.so",
         {"php", "PHP-Dateien (*.php, *.phps, *.inc)|*.php;*.phps;*.inc|Alle Dateien (*.*)|*.*",
          "PHP-Export"}},
        {testProgram, "Sparse.so", {"txt", "Text (*.txt)|*.txt|Alle Dateien (*.*)|*.*", "Sparse-Export"}},
        {testProgram, "Nameless.so", {"rec", "Test-Dateien (*.rec)|*.rec|Alle Dateien (*.*)|*.*", "Export"}},
    };
    for (const Row& row : rows) {
        const PluginLibrary library(pluginPath(row.program, row.fileName));
        const ExportFileType type = exportFileType(library.functions());
        EXPECT_EQ(type.extension, row.expected.extension) << row.fileName;
        EXPECT_EQ(type.filter, row.expected.filter) << row.fileName;
        EXPECT_EQ(type.title, row.expected.title) << row.fileName;
    }
}

} // namespace
