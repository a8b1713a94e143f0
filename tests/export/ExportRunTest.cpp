#include "ExportRun.h"
#include "TempDir.h"
#include "TestPlugins.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>

namespace {

const std::string testProgram = KORVEL_TEST_PROGRAM_DIR;

// The test plug-ins as the search lists them plus a line whose file is no library, and a pack
// whose four tables differ in size, so that a table handed to the wrong setter shows.
class ExportRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const FoundPlugin& plugin : findPlugins(testProgram))
            PluginList.setValue(plugin.exportName, plugin.fileName);
        PluginList.setValue("NoLibrary", "notalibrary.so");
        for (const char* key : {"a", "b", "c"})
            pack.ValueList.setValue(key, "Text");
        pack.HtmlList.setValue("a", "1");
        pack.HtmlList.setValue("b", "0");
        pack.BreakList.setValue("a", "1");
        pack.CommentList.setValue("a", "never passed on");
    }

    // The run with `answer` as the chosen target; `asked` notes the title and extension offered.
    ExportOutcome run(const std::string& exportName, const std::optional<std::string>& answer,
                      const std::string& programFolder = testProgram)
    {
        return exportThroughPlugin(programFolder, PluginList, exportName, pack,
                                   [&](const ExportFileType& type) {
                                       asked += type.title + " " + type.extension + ";";
                                       return answer;
                                   });
    }

    THashedStringList PluginList;
    LanguagePack pack;
    std::string asked;
    TempDir folder;
};

TEST_F(ExportRunTest, EndsAsNothingToLoadCancelledOrDoneAndCallsThePluginAccordingly)
{
    const std::string out = folder.path("out");
    const std::tuple<std::string, std::optional<std::string>, ExportOutcome, std::string, std::string,
                     std::string, std::string>
        cases[] = {
            {"recorder", out, ExportOutcome::Done, "Recorder-Export rec;", "Recorder.so",
             "Extension;Filter;Name;Init;Keys 3;HTML 2;Breaks 1;Linebreaks 0;FileName " + out +
                 ";Start;Free;",
             "Recorder 3\n"},
            {"Sparse", out, ExportOutcome::Done, "Sparse-Export txt;", "Sparse.so",
             "Name;Init;Keys 3;FileName " + out + ";Start;Free;", "Sparse 3\n"},
            {"Recorder", std::nullopt, ExportOutcome::Cancelled, "Recorder-Export rec;", "Recorder.so",
             "Extension;Filter;Name;", ""},
            // Listed, but the entry's name ends at the "=", so the name finds no file.
            {"Key=Value", out, ExportOutcome::NothingToLoad, "", "Equals.so", "", ""},
            {"NoLibrary", out, ExportOutcome::NothingToLoad, "", "Recorder.so", "", ""},
        };
    for (const auto& [exportName, answer, outcome, offered, fileName, calls, written] : cases) {
        std::filesystem::remove(out);
        asked.clear();
        takeTestPluginCalls(testProgram, fileName);
        EXPECT_EQ(run(exportName, answer), outcome) << exportName;
        EXPECT_EQ(asked, offered) << exportName;
        EXPECT_EQ(takeTestPluginCalls(testProgram, fileName), calls) << exportName;
        EXPECT_EQ(TempDir::read(out), written) << exportName;
    }
}

// Copies that no search has kept loaded: the run's own reference is the only one, and it is
// gone afterwards however the run ended.
TEST_F(ExportRunTest, ReleasesTheLibraryItLoadedAlsoAfterAnError)
{
    TempDir program;
    std::filesystem::create_directory(program.root / "Plugins");
    for (const char* fileName : {"Recorder.so", "Thrower.so"})
        std::filesystem::copy_file(pluginPath(testProgram, fileName),
                                   pluginPath(program.root.string(), fileName));
    EXPECT_EQ(run("Recorder", folder.path("out"), program.root.string()), ExportOutcome::Done);
    EXPECT_EQ(run("Recorder", std::nullopt, program.root.string()), ExportOutcome::Cancelled);
    EXPECT_THROW((void)run("Thrower", folder.path("out"), program.root.string()), std::runtime_error);
    for (const char* fileName : {"Recorder.so", "Thrower.so"})
        EXPECT_EQ(::dlopen(pluginPath(program.root.string(), fileName).c_str(), RTLD_NOW | RTLD_NOLOAD),
                  nullptr)
            << fileName;
}

} // namespace
