#include "FileSizeLimit.h"
#include "PluginTesting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct PluginCase
{
    const char* label;
    const ExportFunctions& (*plugin)();
    const char* extension;
    const char* filterMask;
    const char* nameWhileEmpty;
    const char* nameWithModule;
};

void PrintTo(const PluginCase& c, std::ostream* out)
{
    *out << c.label;
}

class ExportContract : public testing::TestWithParam<PluginCase>
{
protected:
    // The slot outlives each test like it outlives each export run of the host.
    void SetUp() override { plugin().Export_Free(); }
    void TearDown() override { plugin().Export_Free(); }

    const ExportFunctions& plugin() const { return GetParam().plugin(); }

    // What the module in the slot writes, with its own path (which a PO header names) blanked.
    std::string exportedBytes(const std::string& name)
    {
        const std::string path = folder.path(name);
        plugin().Export_setFileName(path);
        plugin().Export_startExport();
        return withoutPath(readFile(path), path);
    }

    // What the plug-in writes for these tables in a complete run of its own.
    std::string referenceBytes(const ExportTables& tables, const std::string& name)
    {
        const std::string path = folder.path(name);
        runExport(plugin(), tables, path);
        return withoutPath(readFile(path), path);
    }

    static std::string withoutPath(std::string bytes, const std::string& path)
    {
        for (auto at = bytes.find(path); at != std::string::npos; at = bytes.find(path, at))
            bytes.replace(at, path.size(), "FILE");
        return bytes;
    }

    TempFolder folder;
};

INSTANTIATE_TEST_SUITE_P(
    BothPlugins, ExportContract,
    testing::Values(PluginCase{"Varnex", varnexPlugin, "po", "VarNex-Dateien (*.po)|*.po", "Varnex",
                               "VARNEX"},
                    PluginCase{"php", phpPlugin, "php",
                               "PHP-Dateien (*.php, *.phps, *.inc)|*.php;*.phps;*.inc", "PHP", "PHP"}),
    [](const testing::TestParamInfo<PluginCase>& plugin) { return std::string(plugin.param.label); });

TEST_P(ExportContract, AnswersItsNameAndConstantsBeforeBetweenAndAfterInitAndFree)
{
    const PluginCase& c = GetParam();
    const auto expectAnswers = [&](const char* name) {
        EXPECT_EQ(answerOf(plugin().Export_getExportName), name);
        EXPECT_EQ(answerOf(plugin().Export_getDefaultExtension), c.extension);
        EXPECT_EQ(answerOf(plugin().Export_getFilterMask), c.filterMask);
    };
    expectAnswers(c.nameWhileEmpty);
    plugin().Export_Init();
    expectAnswers(c.nameWithModule);
    plugin().Export_Free();
    expectAnswers(c.nameWhileEmpty);
}

TEST_P(ExportContract, CallsWithoutAModuleChangeNothingAndWriteNoFile)
{
    ExportTables tables;
    tables.add("early", "text", true, true, true);
    const std::string path = folder.path("early.out");
    const auto callAllButInit = [&] {
        plugin().Export_setHashlistKeys(tables.valueList);
        plugin().Export_setHashlistHTML(tables.htmlList);
        plugin().Export_setHashlistBreaks(tables.breakList);
        plugin().Export_setHashlistLinebreaks(tables.unixList);
        plugin().Export_setFileName(path);
        plugin().Export_startExport();
    };

    callAllButInit();
    EXPECT_FALSE(fileExists(path));

    plugin().Export_Init();
    plugin().Export_Free();
    callAllButInit();
    plugin().Export_Free();
    plugin().Export_Free();
    EXPECT_FALSE(fileExists(path));

    // A module created afterwards starts empty: nothing of the calls above reached it.
    plugin().Export_Init();
    const std::string written = exportedBytes("after.out");
    EXPECT_EQ(written, referenceBytes(ExportTables{}, "empty.out"));
}

TEST_P(ExportContract, CopyKeepsOneEntryPerNameAtItsFirstPlaceWithItsLastValue)
{
    // A key holding "=" is the only way to put one name into a host table twice: its entry's
    // name ends at the first "=". Names differing only in case are the same name.
    ExportTables source;
    source.valueList.setValue("dup=first", "a");
    source.valueList.setValue("other", "o");
    source.valueList.setValue("DUP=second", "b");
    ASSERT_EQ(source.valueList.count(), 3);

    ExportTables expected;
    expected.valueList.setValue("DUP", "second=b");
    expected.valueList.setValue("other", "o");

    plugin().Export_Init();
    plugin().Export_setHashlistKeys(source.valueList);
    const std::string written = exportedBytes("copied.out");
    EXPECT_EQ(written, referenceBytes(expected, "expected.out"));
}

TEST_P(ExportContract, RepeatedSetterCallsAccumulateAndTheLaterValueWins)
{
    ExportTables first;
    first.add("a", "first a", true);
    first.add("b", "first b", true);
    ExportTables second;
    second.add("B", "second b");
    second.add("c", "second c", true);

    ExportTables expected;
    expected.add("a", "first a", true);
    expected.add("B", "second b");
    expected.add("c", "second c", true);

    plugin().Export_Init();
    for (const ExportTables* tables : {&first, &second}) {
        plugin().Export_setHashlistKeys(tables->valueList);
        plugin().Export_setHashlistHTML(tables->htmlList);
    }
    const std::string written = exportedBytes("accumulated.out");
    EXPECT_EQ(written, referenceBytes(expected, "expected.out"));
}

TEST_P(ExportContract, FlagTablesAreReadByKeyWithoutRegardToCase)
{
    ExportTables tables;
    tables.valueList.setValue("Intro", "<b>");
    tables.htmlList.setValue("INTRO", "1");
    ExportTables expected;
    expected.add("Intro", "<b>", true);
    const std::string written = referenceBytes(tables, "tables.out");
    EXPECT_EQ(written, referenceBytes(expected, "expected.out"));
}

TEST_P(ExportContract, FlagTablesInAnotherOrderOrWithGapsGiveEachKeyItsOwnFlags)
{
    ExportTables tables;
    for (const char* key : {"a", "b", "c", "d", "e"})
        tables.valueList.setValue(key, "<\r\n>");
    for (const char* key : {"e", "zz", "B", "d"})
        tables.htmlList.setValue(key, "1");
    tables.htmlList.setValue("a", "0");
    tables.breakList.setValue("d", "1");
    tables.breakList.setValue("c", "1");
    tables.unixList.setValue("c", "1");
    tables.unixList.setValue("b", "1");
    tables.unixList.setValue("a", "1");

    ExportTables expected;
    expected.add("a", "<\r\n>", false, false, true);
    expected.add("b", "<\r\n>", true, false, true);
    expected.add("c", "<\r\n>", false, true, true);
    expected.add("d", "<\r\n>", true, true, false);
    expected.add("e", "<\r\n>", true, false, false);
    const std::string written = referenceBytes(tables, "tables.out");
    EXPECT_EQ(written, referenceBytes(expected, "expected.out"));
}

TEST_P(ExportContract, KeepsItsOwnCopyOfTheFileName)
{
    ExportTables tables;
    tables.add("k", "v");
    const std::string path = folder.path("kept.out");
    plugin().Export_Init();
    plugin().Export_setHashlistKeys(tables.valueList);
    auto name = std::make_unique<std::string>(path);
    plugin().Export_setFileName(*name);
    name->assign(path.size(), 'x');
    name.reset();
    plugin().Export_startExport();
    const std::string written = withoutPath(readFile(path), path);
    EXPECT_EQ(written, referenceBytes(tables, "expected.out"));
}

TEST_P(ExportContract, ExportingTwiceWritesTheSameFileAgain)
{
    ExportTables tables;
    tables.add("k",
               "Gr\xF6\xDF"
               "e\r\n\"x\"",
               true, true, false);
    plugin().Export_Init();
    plugin().Export_setHashlistKeys(tables.valueList);
    plugin().Export_setHashlistHTML(tables.htmlList);
    const std::string path = folder.path("twice.out");
    plugin().Export_setFileName(path);
    plugin().Export_startExport();
    const std::string first = readFile(path);
    writeFile(path, "something longer than the export, to be replaced entirely by the second run\n" + first);
    plugin().Export_startExport();
    EXPECT_EQ(readFile(path), first);
}

TEST_P(ExportContract, ExportIntoAMissingFolderFailsAndKeepsTheModule)
{
    ExportTables tables;
    tables.add("k", "v");
    const std::string missing = folder.path("missing/x.out");
    plugin().Export_Init();
    plugin().Export_setHashlistKeys(tables.valueList);
    plugin().Export_setFileName(missing);
    try {
        plugin().Export_startExport();
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Datei \"" + missing + "\" kann nicht erstellt werden. Datei oder Ordner nicht gefunden.");
    }
    EXPECT_FALSE(fileExists(missing));
    // The module is still in the slot with its tables; another name succeeds.
    EXPECT_EQ(plugin().exportName(), GetParam().nameWithModule);
    const std::string written = exportedBytes("retry.out");
    EXPECT_EQ(written, referenceBytes(tables, "expected.out"));
}

TEST_P(ExportContract, ExportOntoAReadOnlyFileFailsAndLeavesItUnchanged)
{
    const std::string path = folder.path("readonly.out");
    writeFile(path, "old content");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    plugin().Export_Init();
    plugin().Export_setFileName(path);
    try {
        plugin().Export_startExport();
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Datei \"" + path + "\" kann nicht erstellt werden. Keine Berechtigung.");
    }
    EXPECT_EQ(readFile(path), "old content");
}

TEST_P(ExportContract, AnExportThatFailsHalfWayLeavesTheEarlierFileWhole)
{
    ExportTables tables;
    for (int i = 0; i < 2000; ++i)
        tables.add("key" + std::to_string(i), "a text long enough to fill several blocks of the file");
    const std::string path = folder.path("earlier.out");
    writeFile(path, "the earlier export");
    plugin().Export_Init();
    plugin().Export_setHashlistKeys(tables.valueList);
    plugin().Export_setFileName(path);
    {
        const FileSizeLimit fullDisk(4096);
        EXPECT_THROW(plugin().Export_startExport(), std::runtime_error);
    }
    EXPECT_EQ(readFile(path), "the earlier export");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.substr(0, path.rfind('/'))), {}), 1);
}

TEST_P(ExportContract, ErrorNamesTheAbsolutePathOfARelativeOrEmptyName)
{
    const std::string cwd = std::filesystem::current_path().string();
    const std::pair<std::string, std::string> cases[] = {
        {"korvel-missing-folder/./x.out", cwd + "/korvel-missing-folder/x.out"},
        {"", ""},
    };
    plugin().Export_Init();
    for (const auto& [name, shown] : cases) {
        plugin().Export_setFileName(name);
        try {
            plugin().Export_startExport();
            ADD_FAILURE() << "no error for \"" << name << "\"";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Datei \"" + shown +
                          "\" kann nicht erstellt werden. Datei oder Ordner nicht gefunden.");
        }
    }
}

TEST_P(ExportContract, InitWhileAModuleIsInTheSlotStartsAnEmptyModule)
{
    ExportTables tables;
    tables.add("k", "v");
    plugin().Export_Init();
    plugin().Export_setHashlistKeys(tables.valueList);
    plugin().Export_Init();
    const std::string written = exportedBytes("second.out");
    EXPECT_EQ(written, referenceBytes(ExportTables{}, "empty.out"));
}

} // namespace
