// A plug-in for the tests of the export host, built several times: TEST_PLUGIN_NAME (none: no
// Export_getExportName), TEST_PLUGIN_SPARSE (no extension, filter and flag setters),
// TEST_PLUGIN_THROWS_IN_START, TEST_PLUGIN_THROWS_IN_NAME. It notes every call, handed over by
// TestPlugin_takeCalls; its export writes its name and the number of texts.
#include "genericExportInterface.h"

#include <fstream>
#include <stdexcept>
#include <utility>

namespace {
std::string calls, target;
int texts = 0;
#ifdef TEST_PLUGIN_NAME
const std::string name = TEST_PLUGIN_NAME;
#else
const std::string name;
#endif
} // namespace

extern "C" KORVEL_EXPORT_FUNCTION void TestPlugin_takeCalls(std::string& answer)
{
    answer = std::exchange(calls, "");
}

#define NOTED_SETTER(function, note)                                                                         \
    void function(const THashedStringList& list)                                                             \
    {                                                                                                        \
        calls += note " " + std::to_string(list.count()) + ";";                                              \
    }
#define NOTED_ANSWER(function, note, text)                                                                   \
    void function(std::string& answer)                                                                       \
    {                                                                                                        \
        calls += note ";";                                                                                   \
        answer = text;                                                                                       \
    }

void Export_Init()
{
    calls += "Init;";
}

void Export_setHashlistKeys(const THashedStringList& list)
{
    calls += "Keys " + std::to_string(list.count()) + ";";
    texts = list.count();
}

#ifndef TEST_PLUGIN_SPARSE
NOTED_SETTER(Export_setHashlistHTML, "HTML")
NOTED_SETTER(Export_setHashlistBreaks, "Breaks")
NOTED_SETTER(Export_setHashlistLinebreaks, "Linebreaks")
NOTED_ANSWER(Export_getDefaultExtension, "Extension", "rec")
NOTED_ANSWER(Export_getFilterMask, "Filter", "Test-Dateien (*.rec)|*.rec")
#endif

void Export_setFileName(const std::string& fileName)
{
    calls += "FileName " + fileName + ";";
    target = fileName;
}

void Export_startExport()
{
    calls += "Start;";
#ifdef TEST_PLUGIN_THROWS_IN_START
    throw std::runtime_error(name + ": Export fehlgeschlagen");
#endif
    std::ofstream(target, std::ios::binary) << name << ' ' << texts << '\n';
}

void Export_Free()
{
    calls += "Free;";
}

#ifdef TEST_PLUGIN_NAME
#ifdef TEST_PLUGIN_THROWS_IN_NAME
NOTED_ANSWER(Export_getExportName, "Name", (throw std::runtime_error("kein Name"), name))
#else
NOTED_ANSWER(Export_getExportName, "Name", name)
#endif
#endif
