// korvel-cli: the language-pack document without a window.
#include "LanguagePack.h"
#include "Windows1252.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <exception>
#include <iostream>

namespace {

using Json = nlohmann::ordered_json;

// A write reports through the view; on the command line only a failure is worth a line.
class ConsoleView : public PackView
{
public:
    void showInfo(const std::string& text) override { throw std::runtime_error(text); }
    void setStatusText(const std::string&) override {}
    void setSaveActionEnabled(bool) override {}
    void infoBlockChanged() override {}
};

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
    std::cout << packAsJson(pack).dump() << '\n';
}

void resavePack(const std::string& in, const std::string& out)
{
    LanguagePack pack;
    pack.readPack(in);
    ConsoleView view;
    pack.writePack(out, view);
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"korvel-cli: reads and writes Korvel language packs without a window"};
    app.require_subcommand(1);

    std::string dumpFile;
    CLI::App* dump = app.add_subcommand("dump", "Print a pack as one JSON object (UTF-8)");
    dump->add_option("FILE", dumpFile, "The language pack")->required();

    std::string resaveIn, resaveOut;
    CLI::App* resave = app.add_subcommand("resave", "Read a pack and write it again, with a new time stamp");
    resave->add_option("IN", resaveIn, "The language pack to read")->required();
    resave->add_option("OUT", resaveOut, "Where to write it")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
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
    } catch (const std::exception& e) {
        std::cerr << "korvel-cli: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
