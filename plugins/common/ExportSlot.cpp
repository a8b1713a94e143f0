#include "ExportModul.h"
#include "ExportPlugin.h"
#include "genericExportInterface.h"

#include <utility>

namespace {

// The library's one module, or nullptr. Constant-initialised, so it is empty before the
// load routine runs.
constinit ExportModul* slot = nullptr;

// The library's load routine.
struct LoadRoutine
{
    LoadRoutine() { Export_Free(); }
};
[[maybe_unused]] const LoadRoutine loadRoutine;

} // namespace

// A module left in the slot by an export that failed is destroyed before the new one takes
// its place; nothing else refers to it.
void Export_Init()
{
    delete std::exchange(slot, nullptr);
    slot = exportPlugin.createModule();
}

void Export_setHashlistKeys(const THashedStringList& list)
{
    if (slot)
        slot->setHashlistKeys(list);
}

void Export_setHashlistHTML(const THashedStringList& list)
{
    if (slot)
        slot->setHashlistHTML(list);
}

void Export_setHashlistBreaks(const THashedStringList& list)
{
    if (slot)
        slot->setHashlistBreaks(list);
}

void Export_setHashlistLinebreaks(const THashedStringList& list)
{
    if (slot)
        slot->setHashlistLinebreaks(list);
}

void Export_setFileName(const std::string& fileName)
{
    if (slot)
        slot->setFileName(fileName);
}

void Export_startExport()
{
    if (slot)
        slot->startExport();
}

void Export_Free()
{
    if (slot)
        std::exchange(slot, nullptr)->destroy();
}

void Export_getDefaultExtension(std::string& answer)
{
    answer = exportPlugin.defaultExtension;
}

void Export_getFilterMask(std::string& answer)
{
    answer = exportPlugin.filterMask;
}

void Export_getExportName(std::string& answer)
{
    answer = slot ? slot->getExportName() : std::string(exportPlugin.defaultName);
}
