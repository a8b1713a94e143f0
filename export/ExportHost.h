#pragma once

#include "PluginLibrary.h"

#include <string>
#include <vector>

// The program's side of the plug-ins beyond one library: where they live, the search at
// start-up and what the save dialog of an export offers. The window and korvel-cli share it.

// The folder of the running program file, with a final "/": /proc/self/exe resolved, so a
// program started through a link finds the folder of the real file. "" when the system
// cannot tell, and then no plug-in is found.
std::string programFolder();

// The path of the plug-in `fileName` in the folder Plugins/ of `programFolder` (with or
// without its final "/"). An empty `fileName` gives the folder itself, which never loads.
std::string pluginPath(const std::string& programFolder, const std::string& fileName);

// One plug-in the search listed: its answer to Export_getExportName (Windows-1252) and its
// bare file name.
struct FoundPlugin
{
    std::string exportName;
    std::string fileName;

    bool operator==(const FoundPlugin&) const = default;
};

// The plug-in search: every entry of <programFolder>/Plugins/ whose name ends in ".so", in
// the order the directory listing gives, hidden files and folders included, is loaded by
// its full path and asked for its name. An entry that does not load, has no
// Export_getExportName or throws from it is left out. Every library loaded stays loaded
// until the program ends, listed or not. An empty `programFolder` searches nothing.
std::vector<FoundPlugin> findPlugins(const std::string& programFolder);

// The save dialog of an export with the plug-in's answers, asked in this order: the
// extension ("txt" without Export_getDefaultExtension), the filter ("Text (*.txt)|*.txt"
// without Export_getFilterMask) followed by "|Alle Dateien (*.*)|*.*", and the title, the
// plug-in's name with "-Export" ("Export" without Export_getExportName). Windows-1252.
struct ExportFileType
{
    std::string extension;
    std::string filter;
    std::string title;
};
ExportFileType exportFileType(const ExportFunctions& plugin);
