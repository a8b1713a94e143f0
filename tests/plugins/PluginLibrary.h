#pragma once

#include "genericExportInterface.h"

#include <string>

// One plug-in library loaded the way Korvel loads it: by path, every function bound by
// name, and never unloaded, so its slot lives on from test to test.
struct PluginLibrary
{
    TExport_Init Export_Init;
    TExport_setHashlistKeys Export_setHashlistKeys;
    TExport_setHashlistHTML Export_setHashlistHTML;
    TExport_setHashlistBreaks Export_setHashlistBreaks;
    TExport_setHashlistLinebreaks Export_setHashlistLinebreaks;
    TExport_setFileName Export_setFileName;
    TExport_startExport Export_startExport;
    TExport_Free Export_Free;
    TExport_getDefaultExtension Export_getDefaultExtension;
    TExport_getFilterMask Export_getFilterMask;
    TExport_getExportName Export_getExportName;

    std::string exportName() const;
    std::string defaultExtension() const;
    std::string filterMask() const;
};

// The libraries in the build tree's Plugins folder, loaded at first use.
const PluginLibrary& varnexPlugin();
const PluginLibrary& phpPlugin();

// The four tables the host passes, ValueList, HtmlList, BreakList and UnixList.
struct ExportTables
{
    THashedStringList valueList;
    THashedStringList htmlList;
    THashedStringList breakList;
    THashedStringList unixList;

    void add(const std::string& key, const std::string& text, bool htmlFlag = false, bool breakFlag = false,
             bool unixFlag = false);
};

// The host's export run: Init, the four setters, setFileName, startExport, Free.
void runExport(const PluginLibrary& plugin, const ExportTables& tables, const std::string& fileName);

// A fresh folder for one test's files, removed again with the object.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path(const std::string& name) const { return folder + "/" + name; }

private:
    std::string folder;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
