// A plug-in for the tests of the export host, built several times with different
// definitions: TEST_PLUGIN_NAME (without it there is no Export_getExportName),
// TEST_PLUGIN_SPARSE (only Init, the texts' setter, setFileName, startExport, Free and the
// name), TEST_PLUGIN_THROWS_IN_START and TEST_PLUGIN_THROWS_IN_NAME. It notes every call;
// TestPlugin_takeCalls hands the notes over. Its export writes the name and the number of
// texts to the file.
#include "genericExportInterface.h"

#include <fstream>
#include <stdexcept>
#include <string>

namespace {

std::string calls;
bool initialised = false;
int texts = 0;
std::string target;

void note(const std::string& call)
{
    calls += call + ";";
}

#ifdef TEST_PLUGIN_NAME
const char* const name = TEST_PLUGIN_NAME;
#else
const char* const name = "";
#endif

} // namespace

extern "C" KORVEL_EXPORT_FUNCTION void TestPlugin_takeCalls(std::string& answer)
{
    answer = calls;
    calls.clear();
}

void Export_Init()
{
    note("Init");
    initialised = true;
    texts = 0;
    target.clear();
}

void Export_setHashlistKeys(const THashedStringList& list)
{
    note("Keys " + std::to_string(list.count()));
    texts = list.count();
}

#ifndef TEST_PLUGIN_SPARSE
void Export_setHashlistHTML(const THashedStringList& list)
{
    note("HTML " + std::to_string(list.count()));
}

void Export_setHashlistBreaks(const THashedStringList& list)
{
    note("Breaks " + std::to_string(list.count()));
}

void Export_setHashlistLinebreaks(const THashedStringList& list)
{
    note("Linebreaks " + std::to_string(list.count()));
}

void Export_getDefaultExtension(std::string& answer)
{
    note("Extension");
    answer = "rec";
}

void Export_getFilterMask(std::string& answer)
{
    note("Filter");
    answer = "Test-Dateien (*.rec)|*.rec";
}
#endif

void Export_setFileName(const std::string& fileName)
{
    note("FileName " + fileName);
    target = fileName;
}

void Export_startExport()
{
    note("Start");
#ifdef TEST_PLUGIN_THROWS_IN_START
    throw std::runtime_error(std::string(name) + ": Export fehlgeschlagen");
#endif
    if (initialised)
        std::ofstream(target, std::ios::binary) << name << ' ' << texts << '\n';
}

void Export_Free()
{
    note("Free");
    initialised = false;
}

#ifdef TEST_PLUGIN_NAME
void Export_getExportName(std::string& answer)
{
    note("Name");
#ifdef TEST_PLUGIN_THROWS_IN_NAME
    throw std::runtime_error("kein Name");
#endif
    answer = name;
}
#endif
