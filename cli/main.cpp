// korvel-cli: the language-pack document, its checks and its export without a window.
#include "ExportHost.h"
#include "ExportRun.h"
#include "KeyChecks.h"
#include "LanguagePack.h"
#include "Windows1252.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <exception>
#include <filesystem>
#include <iostream>

namespace {

using Json = nlohmann::ordered_json;

// Writes a read pack. On the command line only a failure is worth a line, and it names the
// file; a read pack has a tree with a root, so the window's two "Ooops" cases can only mean
// the same in other words.
void writePack(LanguagePack& pack, const std::string& file)
{
    switch (pack.write(file)) {
    case WriteOutcome::Written:
        return;
    case WriteOutcome::NoTree:
        throw std::runtime_error("Datei \"" + file + "\": Ooops...\nKein Languagepack geladen");
    case WriteOutcome::NoRoot:
        throw std::runtime_error("Datei \"" + file + "\": Ooops...\nSpeichern fehlgeschlagen...");
    }
}

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

// A pack whose reading replaced characters: what it holds is not what the file holds.
void warnOfReplacedCharacters(const LanguagePack& pack, const std::string& file)
{
    if (pack.charactersReplaced())
        std::cerr << "korvel-cli: Warnung: Datei \"" << file << "\": " << pack.replacedCharactersNote()
                  << '\n';
}

// Writing such a pack would put the replaced texts in place of the originals.
void refuseReplacedCharacters(const LanguagePack& pack, const std::string& file)
{
    if (pack.charactersReplaced())
        throw std::runtime_error("Datei \"" + file + "\": " + pack.replacedCharactersNote() +
                                 " Der Languagepack wird nicht geschrieben, sonst gingen sie verloren.");
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

// Both checks of the key names, reported in the window's words, one line each; true when
// both pass.
bool checkPack(const std::string& file)
{
    LanguagePack pack;
    pack.readPack(file);
    std::string list;
    const bool unique = findDuplicateKeys(pack.keys, list);
    std::cout << doppelCheckReport(unique, list) << '\n';
    const bool valid = findInvalidKeys(pack.keys, list);
    std::cout << syntaxCheckReport(valid, list) << '\n';
    return unique && valid;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"korvel-cli: reads and writes Korvel language packs without a window"};
    app.require_subcommand(1);
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

    std::string checkFile;
    CLI::App* check = app.add_subcommand(
        "check", "Run the duplicate check and the syntax check on the key names; exit 1 when either fails");
    check->add_option("FILE", checkFile, "The language pack")->required();

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
        else if (*check && !checkPack(checkFile))
            return 1;
    } catch (const std::exception& e) {
        std::cerr << "korvel-cli: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
