#pragma once

#include "ExportHost.h"
#include "LanguagePack.h"
#include "THashedStringList.h"

#include <functional>
#include <optional>
#include <string>

// How an export run ended, for the caller to word. An error inside a plug-in call is no
// outcome: it goes on to the caller as the plug-in threw it.
enum class ExportOutcome {
    // The plug-in's library did not load, or its name has no entry in the plug-in list.
    NothingToLoad,
    // No target was chosen; the plug-in was asked for its file type and nothing else.
    Cancelled,
    // The plug-in got the pack's tables and the target, and was told to export.
    Done,
};

// Asked once the plug-in has told its file type: the full path of the file to write, or
// nothing to cancel the run. The window shows its save dialog here; korvel-cli has the path.
using ChooseExportTarget = std::function<std::optional<std::string>(const ExportFileType&)>;

// The export run that the window's "Export starten" and `korvel-cli export` share. The
// plug-in `exportName` is found through `PluginList` (export name -> file name, as the
// plug-in search fills it) in Plugins/ of `programFolder` and loaded, its file type is
// worked out and the target chosen; then `runExport` hands it the pack's texts and its HTML,
// line-break and UNIX flags, which are read only after the choice. The library is released
// once when the run ends, however it ends.
[[nodiscard]] ExportOutcome exportThroughPlugin(const std::string& programFolder,
                                                const THashedStringList& PluginList,
                                                const std::string& exportName, const LanguagePack& pack,
                                                const ChooseExportTarget& chooseTarget);
