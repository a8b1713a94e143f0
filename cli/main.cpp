// korvel-cli: the language-pack document, its checks and its export without a window.
#include "ExportHost.h"
#include "ExportRun.h"
#include "KeyChecks.h"
#include "LanguagePack.h"
#include "PackCommands.h"
#include "PackFiles.h"
#include "Windows1252.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <exception>
#include <filesystem>
#include <iostream>

namespace {

using Json = nlohmann::ordered_json;

Json packAsJson(const LanguagePack& pack)
{
    using Windows1252::toUtf8;
    Json info = Json::object();
    info["project"] = toUtf8(pack.packProject);
    info["name"] = toUtf8(pack.packName);
    info["lang"] = toUtf8(pack.packLang);
    info["version"] = toUtf8(pack.packVersion);
    info["date"] = toUtf8(pack.packDate);
    Json keys = Json::array();
    for (const std::string& key : pack.keys.items()) {
        const KeyRecord record = pack.record(key);
        Json entry = Json::object();
        entry["id"] = toUtf8(key);
        entry["value"] = toUtf8(record.text);
        entry["comment"] = toUtf8(record.comment);
        entry["encodeHTML"] = toUtf8(record.htmlFlag);
        entry["preserveLinebreaks"] = toUtf8(record.breakFlag);
        entry["unixNewline"] = toUtf8(record.unixFlag);
        keys.push_back(std::move(entry));
    }
    Json out = Json::object();
    out["info"] = std::move(info);
    out["keys"] = std::move(keys);
    return out;
}

void dumpPack(const std::string& file)
{
    LanguagePack pack;
    pack.readPack(file);
    warnOfReplacedCharacters(pack, file);
    std::cout << packAsJson(pack).dump() << '\n';
}

void resavePack(const std::string& in, const std::string& out)
{
    LanguagePack pack;
    pack.readPack(in);
    refuseReplacedCharacters(pack, in);
    writePack(pack, out);
}

// The plug-ins beside the program file, as the window lists them: one line each, its name
// and its file.
void listPlugins()
{
    for (const FoundPlugin& plugin : findPlugins(programFolder()))
        std::cout << Windows1252::toUtf8(plugin.exportName) << '\t' << plugin.fileName << '\n';
}

// The window's export run without the dialog: the plug-in is found by its name the way the
// window's plug-in list finds it, and gets the absolute path that the save dialog would
// confirm, so both write the same bytes. Returns the exit code; 2 for a name no plug-in has.
int exportPack(const std::string& file, const std::string& pluginName, const std::string& output)
{
    const std::string folder = programFolder();
    const std::vector<FoundPlugin> found = findPlugins(folder);
    THashedStringList PluginList;
    bool known = false;
    const std::string exportName = Windows1252::fromUtf8(pluginName);
    for (const FoundPlugin& plugin : found) {
        PluginList.setValue(plugin.exportName, plugin.fileName);
        known = known || Windows1252::sameText(plugin.exportName, exportName);
    }
    if (!known) {
        std::cerr << "korvel-cli: Export-Modul \"" << pluginName << "\" nicht gefunden. Vorhanden:";
        for (const FoundPlugin& plugin : found)
            std::cerr << (&plugin == &found.front() ? " " : ", ") << Windows1252::toUtf8(plugin.exportName);
        std::cerr << (found.empty() ? " keine\n" : "\n");
        return 2;
    }
    LanguagePack pack;
    pack.readPack(file);
    warnOfReplacedCharacters(pack, file);
    const ExportOutcome outcome =
        exportThroughPlugin(folder, PluginList, exportName, pack, [&](const ExportFileType&) {
            return std::filesystem::absolute(output).lexically_normal().string();
        });
    if (outcome == ExportOutcome::NothingToLoad)
        throw std::runtime_error("Oops: Fehler beim Laden des Plugins... :(");
    return 0;
}

// Both checks of the key names, reported in the window's words, one line each, and with a
// reference pack the placeholder check; true when all pass. The reference is read before
// anything is printed, so that a failure prints only its line.
bool checkPack(const std::string& file, const std::string& against)
{
    LanguagePack pack;
    pack.readPack(file);
    LanguagePack reference;
    if (!against.empty())
        reference.open(against);
    std::string list;
    const bool unique = findDuplicateKeys(pack.keys, list);
    std::cout << doppelCheckReport(unique, list) << '\n';
    const bool valid = findInvalidKeys(pack.keys, list);
    std::cout << syntaxCheckReport(valid, list) << '\n';
    const bool placeholders = against.empty() || placeholderCheck(reference, pack);
    return unique && valid && placeholders;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"korvel-cli: reads and writes Korvel language packs without a window"};
    app.require_subcommand(1);
    app.footer("Exit codes: 0 done or passed; 1 a check or diff found something, or a failure (one German "
               "line on stderr); 2 wrong usage.");
    app.set_version_flag("--version", "korvel-cli " KORVEL_VERSION);

    std::string dumpFile;
    CLI::App* dump = app.add_subcommand("dump", "Print a pack as one JSON object (UTF-8)");
    dump->add_option("FILE", dumpFile, "The language pack")->required();

    std::string resaveIn, resaveOut;
    CLI::App* resave = app.add_subcommand("resave", "Read a pack and write it again, with a new time stamp");
    resave->add_option("IN", resaveIn, "The language pack to read")->required();
    resave->add_option("OUT", resaveOut, "Where to write it")->required();

    std::string exportFile, exportPlugin, exportOutput;
    CLI::App* exportCommand = app.add_subcommand(
        "export", "Export a pack through a plug-in, as the window's \"Export starten\" does");
    exportCommand->add_option("FILE", exportFile, "The language pack")->required();
    exportCommand->add_option("--plugin", exportPlugin, "The plug-in's name as listed, in any letter case")
        ->required();
    exportCommand->add_option("--output", exportOutput, "The file to write (replaced without a question)")
        ->required();

    CLI::App* plugins = app.add_subcommand("plugins", "List the plug-ins beside the program: name and file");

    std::string checkFile, checkAgainst;
    CLI::App* check = app.add_subcommand(
        "check", "Run the duplicate check and the syntax check on the key names, with --against also the "
                 "placeholder check");
    check->footer(
        "Exit codes: 0 every check passed; 1 a check failed or a file cannot be read; 2 wrong usage.");
    check->add_option("FILE", checkFile, "The language pack")->required();
    check->add_option("--against", checkAgainst,
                      "A reference pack: the texts of keys both have must hold the same placeholders");

    std::string diffReference, diffPack;
    bool diffJson = false;
    CLI::App* diff = app.add_subcommand(
        "diff",
        "Compare PACK with REFERENCE: missing, untranslated, obsolete keys, other flags, placeholders");
    diff->footer("Exit codes: 0 nothing missing, untranslated or with other placeholders (obsolete keys and "
                 "other flags do not fail); 1 otherwise, or a file cannot be read; 2 wrong usage.");
    diff->add_option("REFERENCE", diffReference, "The reference pack")->required();
    diff->add_option("PACK", diffPack, "The translation")->required();
    diff->add_flag("--json", diffJson, "Print one JSON object instead of lines");

    std::string syncReference, syncPackFile, syncOutput;
    bool syncDrop = false;
    CLI::App* sync = app.add_subcommand(
        "sync", "Add the keys of REFERENCE that PACK lacks, with an empty text, and write PACK");
    sync->footer(
        "Added keys get REFERENCE's comment and flags; everything PACK has stays. Nothing is written "
        "when nothing changes.\nExit codes: 0 done; 1 a file cannot be read or written; 2 wrong usage.");
    sync->add_option("REFERENCE", syncReference, "The reference pack")->required();
    sync->add_option("PACK", syncPackFile, "The translation, written in place")->required();
    sync->add_option("--output", syncOutput, "Write the result here instead of PACK");
    sync->add_flag("--drop-obsolete", syncDrop, "Remove the keys of PACK that REFERENCE lacks");

    std::string importJson, importOutput;
    CLI::App* import = app.add_subcommand("import", "Write the pack that dump printed as JSON");
    import->footer(
        "Exit codes: 0 written; 1 bad input or a failed write, and nothing written; 2 wrong usage.");
    import->add_option("JSON", importJson, "The JSON file, - for standard input")->required();
    import->add_option("OUTPUT", importOutput, "The language pack to write")->required();

    std::string statsFile;
    bool statsJson = false;
    CLI::App* stats =
        app.add_subcommand("stats", "Count the keys, texts, empty texts, comments and flags on");
    stats->footer("Exit codes: 0 counted; 1 the file cannot be read; 2 wrong usage.");
    stats->add_option("PACK", statsFile, "The language pack")->required();
    stats->add_flag("--json", statsJson, "Print one JSON object instead of lines");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "korvel-cli: " << e.what() << "\n\n" << app.help();
        return 2;
    }

    try {
        if (*dump)
            dumpPack(dumpFile);
        else if (*resave)
            resavePack(resaveIn, resaveOut);
        else if (*exportCommand)
            return exportPack(exportFile, exportPlugin, exportOutput);
        else if (*plugins)
            listPlugins();
        else if (*check && !checkPack(checkFile, checkAgainst))
            return 1;
        else if (*diff)
            return diffPacks(diffReference, diffPack, diffJson);
        else if (*sync)
            syncPack(syncReference, syncPackFile, syncOutput, syncDrop);
        else if (*import)
            importPack(importJson, importOutput);
        else if (*stats)
            printStats(statsFile, statsJson);
    } catch (const std::exception& e) {
        std::cerr << "korvel-cli: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
