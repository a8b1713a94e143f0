#include "PluginLibrary.h"

#include "FileError.h"

#include "LibraryFile.h"

#include <dlfcn.h>
#include <stdexcept>
#include <utility>

namespace {

template <typename Function> void bind(void* handle, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(handle, name));
}

std::string answer(void (*function)(std::string&))
{
    std::string text;
    if (function)
        function(text);
    return text;
}

} // namespace

std::string ExportFunctions::exportName() const
{
    return answer(Export_getExportName);
}

std::string ExportFunctions::defaultExtension() const
{
    return answer(Export_getDefaultExtension);
}

std::string ExportFunctions::filterMask() const
{
    return answer(Export_getFilterMask);
}

PluginLibrary::PluginLibrary(const std::string& path) : PluginLibrary(open(path))
{
    if (!handle) {
        if (const char* error = ::dlerror())
            throw std::runtime_error(error);
        throw FileError(path, FileError::Step::loadLibrary);
    }
}

std::optional<PluginLibrary> PluginLibrary::tryLoad(const std::string& path)
{
    void* loaded = open(path);
    if (!loaded) {
        ::dlerror();
        return std::nullopt;
    }
    return PluginLibrary(loaded);
}

// Only a file that can be a library for this machine reaches the system's loader.
void* PluginLibrary::open(const std::string& path)
{
    if (isLoadableLibraryFile(path))
        return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ::dlerror(); // no earlier loader message stands for this file
    return nullptr;
}

PluginLibrary::PluginLibrary(void* loaded) : handle(loaded)
{
    if (!handle)
        return;
    bind(handle, "Export_Init", bound.Export_Init);
    bind(handle, "Export_setHashlistKeys", bound.Export_setHashlistKeys);
    bind(handle, "Export_setHashlistHTML", bound.Export_setHashlistHTML);
    bind(handle, "Export_setHashlistBreaks", bound.Export_setHashlistBreaks);
    bind(handle, "Export_setHashlistLinebreaks", bound.Export_setHashlistLinebreaks);
    bind(handle, "Export_setFileName", bound.Export_setFileName);
    bind(handle, "Export_startExport", bound.Export_startExport);
    bind(handle, "Export_Free", bound.Export_Free);
    bind(handle, "Export_getDefaultExtension", bound.Export_getDefaultExtension);
    bind(handle, "Export_getFilterMask", bound.Export_getFilterMask);
    bind(handle, "Export_getExportName", bound.Export_getExportName);
}

PluginLibrary::~PluginLibrary()
{
    if (handle)
        ::dlclose(handle);
}

PluginLibrary::PluginLibrary(PluginLibrary&& other) noexcept
    : handle(std::exchange(other.handle, nullptr)), bound(other.bound)
{
}

namespace {

void exportUntilFree(const ExportFunctions& plugin, const THashedStringList& values,
                     const THashedStringList& html, const THashedStringList& breaks,
                     const THashedStringList& unixEnds, const std::string& fileName)
{
    if (plugin.Export_Init)
        plugin.Export_Init();
    if (plugin.Export_setHashlistKeys)
        plugin.Export_setHashlistKeys(values);
    if (plugin.Export_setHashlistHTML)
        plugin.Export_setHashlistHTML(html);
    if (plugin.Export_setHashlistBreaks)
        plugin.Export_setHashlistBreaks(breaks);
    if (plugin.Export_setHashlistLinebreaks)
        plugin.Export_setHashlistLinebreaks(unixEnds);
    if (plugin.Export_setFileName)
        plugin.Export_setFileName(fileName);
    if (plugin.Export_startExport)
        plugin.Export_startExport();
}

} // namespace

void runExport(const ExportFunctions& plugin, const THashedStringList& values, const THashedStringList& html,
               const THashedStringList& breaks, const THashedStringList& unixEnds,
               const std::string& fileName)
{
    try {
        exportUntilFree(plugin, values, html, breaks, unixEnds, fileName);
    } catch (...) {
        // The module of the failed run goes now, not at the next Export_Init; the error is
        // the caller's to show.
        if (plugin.Export_Free)
            plugin.Export_Free();
        throw;
    }
    if (plugin.Export_Free)
        plugin.Export_Free();
}
