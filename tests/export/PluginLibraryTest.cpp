#include "PluginLibrary.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(PluginLibrary, BindsAllElevenFunctionsOfAPlugin)
{
    const PluginLibrary library(std::string(KORVEL_PLUGIN_DIR) + "/Varnex.so");
    const ExportFunctions& f = library.functions();
    const void* bound[] = {reinterpret_cast<void*>(f.Export_Init),
                           reinterpret_cast<void*>(f.Export_setHashlistKeys),
                           reinterpret_cast<void*>(f.Export_setHashlistHTML),
                           reinterpret_cast<void*>(f.Export_setHashlistBreaks),
                           reinterpret_cast<void*>(f.Export_setHashlistLinebreaks),
                           reinterpret_cast<void*>(f.Export_setFileName),
                           reinterpret_cast<void*>(f.Export_startExport),
                           reinterpret_cast<void*>(f.Export_Free),
                           reinterpret_cast<void*>(f.Export_getDefaultExtension),
                           reinterpret_cast<void*>(f.Export_getFilterMask),
                           reinterpret_cast<void*>(f.Export_getExportName)};
    for (const void* function : bound)
        EXPECT_NE(function, nullptr);
    EXPECT_EQ(f.exportName(), "Varnex");
    EXPECT_EQ(f.defaultExtension(), "po");
}

// A library without the functions loads; every function is absent, every answer empty, and an
// export through it calls nothing.
TEST(PluginLibrary, ALibraryWithoutTheFunctionsBindsNothing)
{
    const PluginLibrary library(KORVEL_CORE_LIBRARY);
    const ExportFunctions& f = library.functions();
    EXPECT_EQ(f.Export_Init, nullptr);
    EXPECT_EQ(f.Export_getExportName, nullptr);
    EXPECT_EQ(f.exportName(), "");
    EXPECT_EQ(f.filterMask(), "");
    const THashedStringList empty;
    EXPECT_NO_THROW(runExport(f, empty, empty, empty, empty, "/nonexistent/never-written"));
}

TEST(PluginLibrary, AFileThatIsNoLibraryIsRefusedWithTheLoadersMessage)
{
    try {
        const PluginLibrary library(std::string(KORVEL_PLUGIN_DIR) + "/no-such-plugin.so");
        FAIL() << "loaded";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("no-such-plugin.so"), std::string::npos) << e.what();
    }
}

} // namespace
