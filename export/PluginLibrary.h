#pragma once

#include "THashedStringList.h"
#include "genericExportInterface.h"

#include <optional>
#include <string>

// The eleven functions of an export plug-in, each bound by its exact name. A function that
// the library lacks stays empty, and every call to it is skipped.
struct ExportFunctions
{
    TExport_Init Export_Init = nullptr;
    TExport_setHashlistKeys Export_setHashlistKeys = nullptr;
    TExport_setHashlistHTML Export_setHashlistHTML = nullptr;
    TExport_setHashlistBreaks Export_setHashlistBreaks = nullptr;
    TExport_setHashlistLinebreaks Export_setHashlistLinebreaks = nullptr;
    TExport_setFileName Export_setFileName = nullptr;
    TExport_startExport Export_startExport = nullptr;
    TExport_Free Export_Free = nullptr;
    TExport_getDefaultExtension Export_getDefaultExtension = nullptr;
    TExport_getFilterMask Export_getFilterMask = nullptr;
    TExport_getExportName Export_getExportName = nullptr;

    // The plug-in's answers; "" where it lacks the function.
    std::string exportName() const;
    std::string defaultExtension() const;
    std::string filterMask() const;
};

// One reference to a plug-in library: loaded by its full path when the object is made and
// released with it, unless it is kept loaded for the rest of the run. Loading a library that
// is loaded already only adds a reference, so its module slot lives on.
class PluginLibrary
{
public:
    // Throws std::runtime_error with the loader's message when the library cannot be loaded.
    explicit PluginLibrary(const std::string& path);
    // The same without a message: nothing when the library cannot be loaded.
    static std::optional<PluginLibrary> tryLoad(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(PluginLibrary&& other) noexcept;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;
    PluginLibrary& operator=(PluginLibrary&&) = delete;

    // The eleven functions, looked up by name when the library was loaded.
    const ExportFunctions& functions() const { return bound; }
    // This reference is never released: the library stays until the program ends.
    void keepLoaded() { handle = nullptr; }

private:
    explicit PluginLibrary(void* loaded);
    // The handle of the library at `path`, or nullptr.
    static void* open(const std::string& path);

    void* handle;
    ExportFunctions bound;
};

// The calling order of an export: Export_Init, the four table setters with the texts and the
// HTML, line-break and UNIX flags, Export_setFileName, Export_startExport, Export_Free. A
// function the plug-in lacks is skipped. When a call throws, Export_Free still runs, so no
// module is left in the plug-in's slot, and then the error goes on to the caller.
void runExport(const ExportFunctions& plugin, const THashedStringList& values, const THashedStringList& html,
               const THashedStringList& breaks, const THashedStringList& unixEnds,
               const std::string& fileName);
