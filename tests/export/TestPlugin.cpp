// A plug-in for the tests of the export host, built several times: TEST_PLUGIN_NAME (none: no
// Export_getExportName), TEST_PLUGIN_SPARSE (no extension, filter and flag setters),
// TEST_PLUGIN_THROWS_IN_START, TEST_PLUGIN_THROWS_IN_NAME. It notes every call, handed over by
// TestPlugin_takeCalls; its export writes its name and the number of texts. After
// TestPlugin_throwIn("Export_Init") (or any other of its functions) that function throws
// "<name>: <function> fehlgeschlagen" once it has noted its call.
#include "genericExportInterface.h"

#include <fstream>
#include <stdexcept>
#include <utility>

namespace {
std::string calls, target, throwIn;
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

extern "C" KORVEL_EXPORT_FUNCTION void TestPlugin_throwIn(const std::string& function)
{
    throwIn = function;
}

namespace {
void failIfChosen(const char* function)
{
    if (throwIn == function)
        throw std::runtime_error(name + ": " + function + " fehlgeschlagen");
}
} // namespace

#define NOTED_SETTER(function, note)                                                                         \
    void function(const THashedStringList& list)                                                             \
    {                                                                                                        \
        calls += note " " + std::to_string(list.count()) + ";";                                              \
        failIfChosen(#function);                                                                             \
    }
#define NOTED_ANSWER(function, note, text)                                                                   \
    void function(std::string& answer)                                                                       \
    {                                                                                                        \
        calls += note ";";                                                                                   \
        failIfChosen(#function);                                                                             \
        answer = text;                                                                                       \
    }

void Export_Init()
{
    calls += "Init;";
    failIfChosen("Export_Init");
}

void Export_setHashlistKeys(const THashedStringList& list)
{
    calls += "Keys " + std::to_string(list.count()) + ";";
    failIfChosen("Export_setHashlistKeys");
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
    failIfChosen("Export_setFileName");
    target = fileName;
}

void Export_startExport()
{
    calls += "Start;";
    failIfChosen("Export_startExport");
#ifdef TEST_PLUGIN_THROWS_IN_START
    throw std::runtime_error(name + ": Export fehlgeschlagen");
#endif
    std::ofstream(target, std::ios::binary) << name << ' ' << texts << '\n';
}

void Export_Free()
{
    calls += "Free;";
    failIfChosen("Export_Free");
}

#ifdef TEST_PLUGIN_NAME
#ifdef TEST_PLUGIN_THROWS_IN_NAME
NOTED_ANSWER(Export_getExportName, "Name", (throw std::runtime_error("kein Name"), name))
#else
NOTED_ANSWER(Export_getExportName, "Name", name)
#endif
#endif
