#include "PluginLibrary.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace {

template <typename Function> void bind(void* handle, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(handle, name));
    if (!function)
        throw std::runtime_error(std::string("plug-in lacks ") + name);
}

PluginLibrary load(const std::string& fileName)
{
    const std::string path = std::string(KORVEL_PLUGIN_DIR) + "/" + fileName;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw std::runtime_error(dlerror());
    PluginLibrary plugin{};
    bind(handle, "Export_Init", plugin.Export_Init);
    bind(handle, "Export_setHashlistKeys", plugin.Export_setHashlistKeys);
    bind(handle, "Export_setHashlistHTML", plugin.Export_setHashlistHTML);
    bind(handle, "Export_setHashlistBreaks", plugin.Export_setHashlistBreaks);
    bind(handle, "Export_setHashlistLinebreaks", plugin.Export_setHashlistLinebreaks);
    bind(handle, "Export_setFileName", plugin.Export_setFileName);
    bind(handle, "Export_startExport", plugin.Export_startExport);
    bind(handle, "Export_Free", plugin.Export_Free);
    bind(handle, "Export_getDefaultExtension", plugin.Export_getDefaultExtension);
    bind(handle, "Export_getFilterMask", plugin.Export_getFilterMask);
    bind(handle, "Export_getExportName", plugin.Export_getExportName);
    return plugin;
}

} // namespace

std::string PluginLibrary::exportName() const
{
    std::string answer = "previous answer";
    Export_getExportName(answer);
    return answer;
}

std::string PluginLibrary::defaultExtension() const
{
    std::string answer = "previous answer";
    Export_getDefaultExtension(answer);
    return answer;
}

std::string PluginLibrary::filterMask() const
{
    std::string answer = "previous answer";
    Export_getFilterMask(answer);
    return answer;
}

const PluginLibrary& varnexPlugin()
{
    static const PluginLibrary plugin = load("Varnex.so");
    return plugin;
}

const PluginLibrary& phpPlugin()
{
    static const PluginLibrary plugin = load("php.so");
    return plugin;
}

void ExportTables::add(const std::string& key, const std::string& text, bool htmlFlag, bool breakFlag,
                       bool unixFlag)
{
    valueList.setValue(key, text);
    htmlList.setValue(key, htmlFlag ? "1" : "0");
    breakList.setValue(key, breakFlag ? "1" : "0");
    unixList.setValue(key, unixFlag ? "1" : "0");
}

void runExport(const PluginLibrary& plugin, const ExportTables& tables, const std::string& fileName)
{
    plugin.Export_Init();
    plugin.Export_setHashlistKeys(tables.valueList);
    plugin.Export_setHashlistHTML(tables.htmlList);
    plugin.Export_setHashlistBreaks(tables.breakList);
    plugin.Export_setHashlistLinebreaks(tables.unixList);
    plugin.Export_setFileName(fileName);
    plugin.Export_startExport();
    plugin.Export_Free();
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
