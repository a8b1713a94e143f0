#include "PluginTesting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace {

ExportFunctions loadForGood(const std::string& fileName)
{
    PluginLibrary library(std::string(KORVEL_PLUGIN_DIR) + "/" + fileName);
    library.keepLoaded();
    return library.functions();
}

} // namespace

const ExportFunctions& varnexPlugin()
{
    static const ExportFunctions plugin = loadForGood("Varnex.so");
    return plugin;
}

const ExportFunctions& phpPlugin()
{
    static const ExportFunctions plugin = loadForGood("php.so");
    return plugin;
}

std::string answerOf(TExport_getExportName function)
{
    std::string answer = "previous answer";
    function(answer);
    return answer;
}

void ExportTables::add(const std::string& key, const std::string& text, bool htmlFlag, bool breakFlag,
                       bool unixFlag)
{
    valueList.setValue(key, text);
    htmlList.setValue(key, htmlFlag ? "1" : "0");
    breakList.setValue(key, breakFlag ? "1" : "0");
    unixList.setValue(key, unixFlag ? "1" : "0");
}

void runExport(const ExportFunctions& plugin, const ExportTables& tables, const std::string& fileName)
{
    ::runExport(plugin, tables.valueList, tables.htmlList, tables.breakList, tables.unixList, fileName);
}

TempFolder::TempFolder()
{
    std::string pattern = testing::TempDir() + "korvel-plugins-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    folder = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool fileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}
