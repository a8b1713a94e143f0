#include "ExportRun.h"

#include "PluginLibrary.h"

ExportOutcome exportThroughPlugin(const std::string& programFolder, const THashedStringList& PluginList,
                                  const std::string& exportName, const LanguagePack& pack,
                                  const ChooseExportTarget& chooseTarget)
{
    // A name without an entry leaves only the folder as the path, which never loads.
    const std::optional<PluginLibrary> plugin =
        PluginLibrary::tryLoad(pluginPath(programFolder, PluginList.value(exportName)));
    if (!plugin)
        return ExportOutcome::NothingToLoad;
    const std::optional<std::string> target = chooseTarget(exportFileType(plugin->functions()));
    if (!target)
        return ExportOutcome::Cancelled;
    runExport(plugin->functions(), pack.ValueList, pack.HtmlList, pack.BreakList, pack.UnixList, *target);
    return ExportOutcome::Done;
}
