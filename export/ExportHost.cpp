#include "ExportHost.h"

#include <dirent.h>
#include <filesystem>
#include <memory>

std::string programFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.has_parent_path())
        return {};
    std::string folder = program.parent_path().string();
    return folder.ends_with('/') ? folder : folder + "/";
}

std::string pluginPath(const std::string& programFolder, const std::string& fileName)
{
    return programFolder + (programFolder.ends_with('/') ? "" : "/") + "Plugins/" + fileName;
}

std::vector<FoundPlugin> findPlugins(const std::string& programFolder)
{
    std::vector<FoundPlugin> found;
    // Without a program folder the path would be relative, and the plug-ins of whatever the
    // current directory is would be loaded.
    if (programFolder.empty())
        return found;
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(pluginPath(programFolder, "").c_str()),
                                                     ::closedir);
    if (!folder)
        return found;
    while (const dirent* entry = ::readdir(folder.get())) {
        const std::string fileName = entry->d_name;
        if (!fileName.ends_with(".so"))
            continue;
        std::optional<PluginLibrary> library = PluginLibrary::tryLoad(pluginPath(programFolder, fileName));
        if (!library)
            continue;
        library->keepLoaded();
        const TExport_getExportName getExportName = library->functions().Export_getExportName;
        if (!getExportName)
            continue;
        std::string exportName;
        // A plug-in that cannot even tell its name is broken; it must not keep the program
        // from starting, so it is left out like a file that is no plug-in.
        try {
            getExportName(exportName);
        } catch (...) {
            continue;
        }
        found.push_back({std::move(exportName), fileName});
    }
    return found;
}

ExportFileType exportFileType(const ExportFunctions& plugin)
{
    ExportFileType type{"txt", "Text (*.txt)|*.txt", "Export"};
    if (plugin.Export_getDefaultExtension)
        type.extension = plugin.defaultExtension();
    if (plugin.Export_getFilterMask)
        type.filter = plugin.filterMask();
    type.filter += "|Alle Dateien (*.*)|*.*";
    if (plugin.Export_getExportName)
        type.title = plugin.exportName() + "-Export";
    return type;
}
