#include "PackCommands.h"

#include "FileError.h"

#include "KeyChecks.h"
#include "KeyRecord.h"
#include "LanguagePack.h"
#include "LineBreaks.h"
#include "PackComparison.h"
#include "PackFiles.h"
#include "SystemError.h"
#include "Windows1252.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <memory>
#include <stdexcept>

namespace {

using Json = nlohmann::ordered_json;
using Windows1252::toUtf8;

void openPack(LanguagePack& pack, const std::string& file)
{
    pack.open(file);
    warnOfReplacedCharacters(pack, file);
}

std::vector<std::string> utf8Names(const std::vector<std::string>& names)
{
    std::vector<std::string> out;
    out.reserve(names.size());
    for (const std::string& name : names)
        out.push_back(toUtf8(name));
    return out;
}

// Sorted by their UTF-8 text, which is what the reader of the output sees.
std::vector<std::string> utf8Placeholders(const std::vector<std::string>& placeholders)
{
    std::vector<std::string> out = utf8Names(placeholders);
    std::sort(out.begin(), out.end());
    return out;
}

std::string joined(const std::vector<std::string>& texts, const char* separator)
{
    std::string out;
    for (const std::string& text : texts)
        out += (out.empty() ? "" : separator) + text;
    return out;
}

Json diffAsJson(const PackComparison& c)
{
    Json placeholders = Json::array();
    for (const PlaceholderFinding& finding : c.placeholders)
        placeholders.push_back({{"key", toUtf8(finding.key)},
                                {"reference", utf8Placeholders(finding.reference)},
                                {"pack", utf8Placeholders(finding.pack)}});
    Json out = Json::object();
    out["missing"] = utf8Names(c.missing);
    out["untranslated"] = utf8Names(c.untranslated);
    out["obsolete"] = utf8Names(c.obsolete);
    out["flags"] = utf8Names(c.flags);
    out["placeholders"] = std::move(placeholders);
    return out;
}

std::string diffAsText(const PackComparison& c)
{
    std::string out;
    const std::pair<const char*, const std::vector<std::string>*> kinds[] = {
        {"missing", &c.missing},
        {"untranslated", &c.untranslated},
        {"obsolete", &c.obsolete},
        {"flags", &c.flags}};
    for (const auto& [kind, keys] : kinds)
        for (const std::string& key : *keys)
            out.append(kind).append(": ").append(toUtf8(key)).append("\n");
    for (const PlaceholderFinding& finding : c.placeholders)
        out.append("placeholders: ")
            .append(toUtf8(finding.key))
            .append(" (REFERENCE: ")
            .append(joined(utf8Placeholders(finding.reference), " "))
            .append("; PACK: ")
            .append(joined(utf8Placeholders(finding.pack), " "))
            .append(")\n");
    for (const auto& [kind, keys] : kinds)
        out.append(std::to_string(keys->size())).append(" ").append(kind).append(", ");
    return out.append(std::to_string(c.placeholders.size())).append(" placeholders\n");
}

int keepOpen(FILE*)
{
    return 0;
}

// Standard input is no file to name; a file's failure is a FileError like any other.
std::runtime_error cannotRead(const std::string& file, int error)
{
    if (file == "-")
        return std::runtime_error("Standardeingabe kann nicht gelesen werden. " + SystemError::text(error));
    return FileError(file, FileError::Step::read, SystemError::text(error));
}

// The JSON of `import`, read whole. Standard input and pipes are as welcome as files, so
// that `dump … | jq … | import -` and `<(…)` work.
std::string readInput(const std::string& file)
{
    const bool standardInput = file == "-";
    const std::unique_ptr<FILE, int (*)(FILE*)> in(standardInput ? stdin : std::fopen(file.c_str(), "rb"),
                                                   standardInput ? keepOpen : std::fclose);
    if (!in)
        throw cannotRead(file, errno);
    std::string text;
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in.get())) > 0;)
        text.append(chunk, n);
    if (std::ferror(in.get()))
        throw cannotRead(file, errno);
    return text;
}

// Line and column of a byte, both counted from 1, as an editor shows them: where the parser
// stopped, at the end of the token it could not take.
std::string lineAndColumn(const std::string& text, std::size_t byte)
{
    const std::size_t at = std::min(byte > 0 ? byte - 1 : 0, text.size());
    const std::size_t lineStart = at == 0 ? 0 : text.rfind('\n', at - 1) + 1;
    const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
    return "Zeile " + std::to_string(line) + ", Spalte " + std::to_string(at - lineStart + 1);
}

// The first character of a UTF-8 text that Windows-1252 lacks, as "ś" (U+015B).
std::string firstLostCharacter(std::string_view utf8)
{
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length && at + i < utf8.size(); ++i)
            code = (code << 6) | (static_cast<unsigned char>(utf8[at + i]) & 0x3F);
        if (Windows1252::exactByte(code) < 0) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
            return "\"" + std::string(utf8.substr(at, length)) + "\" (" + hex + ")";
        }
        at += length;
    }
    return "";
}

// The fields of the JSON that `dump` prints, each checked for its type; a failure names the
// field by its path ("keys[3].comment") and, once known, the key.
class ImportFields
{
public:
    explicit ImportFields(std::string where) : source(std::move(where)) {}

    const nlohmann::json& member(const nlohmann::json& object, const char* name,
                                 const std::string& path) const
    {
        const auto found = object.find(name);
        if (found == object.end())
            fail("Das Feld \"" + path + "\" fehlt.");
        return *found;
    }

    const nlohmann::json& typed(const nlohmann::json& object, const char* name, const std::string& path,
                                nlohmann::json::value_t type, const char* typeName) const
    {
        const nlohmann::json& value = member(object, name, path);
        if (value.type() != type)
            fail("Das Feld \"" + path + "\" muss " + typeName + " sein.");
        return value;
    }

    // A text field in Windows-1252; `key` is the UTF-8 name of the key it belongs to, if any.
    std::string text(const nlohmann::json& object, const char* name, const std::string& path,
                     const std::string& key = "") const
    {
        const std::string& utf8 = typed(object, name, path, nlohmann::json::value_t::string, "ein Text")
                                      .get_ref<const std::string&>();
        bool lost = false;
        std::string text = Windows1252::fromUtf8(utf8, lost);
        if (lost)
            fail((key.empty() ? "" : "Schlüssel \"" + key + "\", ") + "Feld \"" + path + "\": Das Zeichen " +
                 firstLostCharacter(utf8) + " gibt es in Windows-1252 nicht.");
        return text;
    }

    [[noreturn]] void fail(const std::string& message) const
    {
        if (source == "-")
            throw std::runtime_error("Standardeingabe: " + message);
        throw FileError(source, FileError::Step::use, message);
    }

private:
    std::string source;
};

} // namespace

int diffPacks(const std::string& referenceFile, const std::string& packFile, bool json)
{
    LanguagePack reference, pack;
    openPack(reference, referenceFile);
    openPack(pack, packFile);
    const PackComparison c = comparePacks(reference, pack);
    std::cout << (json ? diffAsJson(c).dump() + "\n" : diffAsText(c));
    return c.passed() ? 0 : 1;
}

bool placeholderCheck(const LanguagePack& reference, const LanguagePack& pack)
{
    std::vector<std::string> keys;
    for (const PlaceholderFinding& finding : comparePacks(reference, pack).placeholders)
        keys.push_back(toUtf8(finding.packKey));
    std::cout << (keys.empty() ? "Platzhalter-Check bestanden"
                               : "Platzhalter-Check nicht bestanden: " + joined(keys, ", "))
              << '\n';
    return keys.empty();
}

void syncPack(const std::string& referenceFile, const std::string& packFile, const std::string& outputFile,
              bool dropObsolete)
{
    LanguagePack reference, pack;
    openPack(reference, referenceFile);
    pack.open(packFile);
    const PackComparison c = comparePacks(reference, pack);
    const std::vector<std::string> none;
    const std::vector<std::string>& dropped = dropObsolete ? c.obsolete : none;
    if (c.missing.empty() && dropped.empty())
        return;
    // Only a write would lose the originals of the replaced characters.
    refuseReplacedCharacters(pack, packFile);
    pack.addKeys(c.missing);
    for (const std::string& key : c.missing) {
        KeyRecord record = reference.record(key);
        // The reference's comment tells the translator what the text is for.
        record.text.clear();
        pack.setRecord(key, record);
    }
    pack.removeKeys(dropped);
    writePack(pack, outputFile.empty() ? packFile : outputFile);
    std::string out;
    for (const std::string& key : c.missing)
        out.append("added: ").append(toUtf8(key)).append("\n");
    for (const std::string& key : dropped)
        out.append("dropped: ").append(toUtf8(key)).append("\n");
    std::cout << out;
}

void importPack(const std::string& jsonFile, const std::string& outputFile)
{
    using value_t = nlohmann::json::value_t;
    const std::string input = readInput(jsonFile);
    const ImportFields fields(jsonFile);
    nlohmann::json json;
    try {
        json = nlohmann::json::parse(input);
    } catch (const nlohmann::json::parse_error& e) {
        fields.fail("Das ist kein gültiges JSON (" + lineAndColumn(input, e.byte) + ").");
    }
    if (!json.is_object())
        fields.fail("Das JSON muss ein Objekt sein.");

    LanguagePack pack;
    pack.createNew();
    const nlohmann::json& info = fields.typed(json, "info", "info", value_t::object, "ein Objekt");
    pack.packProject = fields.text(info, "project", "info.project");
    pack.packName = fields.text(info, "name", "info.name");
    pack.packLang = fields.text(info, "lang", "info.lang");
    pack.packVersion = fields.text(info, "version", "info.version");
    pack.packDate = fields.text(info, "date", "info.date");
    pack.infoValuesToBlock();

    const nlohmann::json& keys = fields.typed(json, "keys", "keys", value_t::array, "eine Liste");
    std::vector<std::string> names;
    std::vector<KeyRecord> records;
    names.reserve(keys.size());
    records.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string path = "keys[" + std::to_string(i) + "]";
        if (!keys[i].is_object())
            fields.fail("Das Feld \"" + path + "\" muss ein Objekt sein.");
        const nlohmann::json& key = keys[i];
        std::string name = fields.text(key, "id", path + ".id");
        const std::string shown = toUtf8(name);
        if (name.empty())
            fields.fail("Das Feld \"" + path + ".id\": Ein Schlüssel braucht einen Namen.");
        if (holdsEqualsSign(name))
            fields.fail("Schlüssel \"" + shown + "\": " + equalsSignInKeyName);
        records.push_back(
            {LineBreaks::normalize(fields.text(key, "value", path + ".value", shown), LineBreaks::crLf),
             LineBreaks::normalize(fields.text(key, "comment", path + ".comment", shown), LineBreaks::crLf),
             fields.text(key, "encodeHTML", path + ".encodeHTML", shown),
             fields.text(key, "preserveLinebreaks", path + ".preserveLinebreaks", shown),
             fields.text(key, "unixNewline", path + ".unixNewline", shown)});
        names.push_back(std::move(name));
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        pack.setRecord(names[i], records[i]);
    pack.addKeys(std::move(names));
    writePack(pack, outputFile);
}

void printStats(const std::string& packFile, bool json)
{
    LanguagePack pack;
    openPack(pack, packFile);
    long translated = 0, commented = 0, html = 0, breaks = 0, unixLines = 0;
    for (const std::string& key : pack.keys.items()) {
        const KeyRecord record = pack.record(key);
        translated += !record.text.empty();
        commented += !record.comment.empty();
        html += isFlagOn(record.htmlFlag);
        breaks += isFlagOn(record.breakFlag);
        unixLines += isFlagOn(record.unixFlag);
    }
    const long keys = pack.keys.count();
    const std::pair<const char*, long> counts[] = {{"keys", keys},
                                                   {"translated", translated},
                                                   {"empty", keys - translated},
                                                   {"commented", commented},
                                                   {"encodeHTML", html},
                                                   {"preserveLinebreaks", breaks},
                                                   {"unixNewline", unixLines}};
    Json object = Json::object();
    std::string text;
    for (const auto& [name, count] : counts) {
        object[name] = count;
        text.append(name).append(": ").append(std::to_string(count)).append("\n");
    }
    std::cout << (json ? object.dump() + "\n" : text);
}
