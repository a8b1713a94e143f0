#pragma once

#include "PluginLibrary.h"

#include <string>

// The libraries in the build tree's Plugins folder, loaded the way Korvel loads them at first
// use and never unloaded, so their slots live on from test to test.
const ExportFunctions& varnexPlugin();
const ExportFunctions& phpPlugin();

// What the plug-in answers into a string that held something before.
std::string answerOf(TExport_getExportName function);

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
void runExport(const ExportFunctions& plugin, const ExportTables& tables, const std::string& fileName);

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
