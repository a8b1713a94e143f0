// The two export plug-ins, loaded as Korvel loads them, fed with arbitrary tables. Each input
// is a list of lines that fill the host's four tables (see parseTables). For every input:
// the same tables give the same file twice, and each file has exactly the syntax of its
// format, with literals that undo to the keys and converted texts. For a sample of the
// inputs without NUL bytes, the consumers read the files: `php -l` accepts the PHP file and
// PHP gets every text back, msgfmt compiles the PO file and msgunfmt gives its texts back.

#include "ExportConsumers.h"
#include "FuzzSupport.h"
#include "LineBreaks.h"
#include "PluginLibrary.h"
#include "THashedStringList.h"
#include "encoder.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <stdexcept>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace {

using ExportConsumers::ErrorOutput;
using ExportConsumers::hex;
using ExportConsumers::Outcome;
using ExportConsumers::readPo;
using ExportConsumers::run;

struct Tables
{
    THashedStringList values;
    THashedStringList html;
    THashedStringList breaks;
    THashedStringList unixEnds;
    bool hasNul = false;
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Undoes the escapes of an input line: \\ \n \r \t \0 \= and \xHH; a backslash before
// anything else stands for itself. With `stopAtEquals`, ends at the first unescaped "=" and
// moves `pos` past it.
std::string unescape(std::string_view line, std::size_t& pos, bool stopAtEquals)
{
    std::string out;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '=' && stopAtEquals)
            break;
        if (c != '\\' || pos == line.size()) {
            out += c;
            continue;
        }
        const char e = line[pos++];
        switch (e) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case '=':
            out += '=';
            break;
        case 'x':
            if (pos + 2 <= line.size() && hexDigit(line[pos]) >= 0 && hexDigit(line[pos + 1]) >= 0) {
                out += static_cast<char>(hexDigit(line[pos]) * 16 + hexDigit(line[pos + 1]));
                pos += 2;
                break;
            }
            [[fallthrough]];
        default:
            out += '\\';
            out += e;
        }
    }
    return out;
}

// One table entry per line, set as the host sets it (an empty value removes the name):
//   Vname=text    the key's translation          Hname=flag   its encode-as-HTML flag
//   Bname=flag    its preserve-line-breaks flag  Uname=flag   its UNIX-newline flag
//   Fhbu          the three flags of the last V line's key: "1", "0", or "-" for none
// Other lines are ignored.
Tables parseTables(std::string_view input)
{
    Tables tables;
    std::string lastKey;
    for (std::size_t start = 0; start < input.size();) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos)
            end = input.size();
        const std::string_view line = input.substr(start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        THashedStringList* table = nullptr;
        switch (line[0]) {
        case 'V':
            table = &tables.values;
            break;
        case 'H':
            table = &tables.html;
            break;
        case 'B':
            table = &tables.breaks;
            break;
        case 'U':
            table = &tables.unixEnds;
            break;
        case 'F': {
            THashedStringList* flags[] = {&tables.html, &tables.breaks, &tables.unixEnds};
            for (std::size_t i = 0; i < 3 && i + 1 < line.size(); ++i)
                flags[i]->setValue(lastKey, line[i + 1] == '1' ? "1" : line[i + 1] == '0' ? "0" : "");
            continue;
        }
        default:
            continue;
        }
        std::size_t pos = 1;
        const std::string name = unescape(line, pos, true);
        const std::string value = unescape(line, pos, false);
        table->setValue(name, value);
        if (table == &tables.values)
            lastKey = name;
    }
    for (const THashedStringList* table : {&tables.values, &tables.html, &tables.breaks, &tables.unixEnds})
        for (int i = 0; i < table->count(); ++i)
            if (table->nameAt(i).find('\0') != std::string::npos ||
                table->valueAt(i).find('\0') != std::string::npos)
                tables.hasNul = true;
    return tables;
}

std::string pluginFolder()
{
    const char* chosen = std::getenv("KORVEL_PLUGIN_DIR");
    return chosen && *chosen ? chosen : KORVEL_PLUGIN_DIR;
}

// Loaded once and kept, as Korvel keeps its plug-ins for the whole run.
const ExportFunctions& plugin(const char* fileName)
{
    static std::map<std::string, ExportFunctions> loaded;
    auto found = loaded.find(fileName);
    if (found == loaded.end()) {
        PluginLibrary library(pluginFolder() + "/" + fileName);
        library.keepLoaded();
        found = loaded.emplace(fileName, library.functions()).first;
    }
    return found->second;
}

// Exports the tables, then copies of them, to the same file; both runs must give one file.
std::string exportTwice(const char* pluginFile, const Tables& tables, const std::string& path)
{
    const ExportFunctions& functions = plugin(pluginFile);
    try {
        runExport(functions, tables.values, tables.html, tables.breaks, tables.unixEnds, path);
        const std::string first = readFile(path);
        const Tables copies{tables.values, tables.html, tables.breaks, tables.unixEnds, tables.hasNul};
        runExport(functions, copies.values, copies.html, copies.breaks, copies.unixEnds, path);
        expectEqual(readFile(path), first, std::string(pluginFile) + ": the same tables gave another file");
        return first;
    } catch (const std::runtime_error& e) {
        propertyFailed(std::string(pluginFile) + " failed: " + e.what());
    }
}

// What a plug-in writes for the tables: key and converted text per key, in the order of the
// keys' first entries, each key once (without regard to case) with its last value.
struct Entry
{
    std::string key;
    std::string text;
    bool html;
    bool breaks;
};

std::vector<Entry> expectedEntries(const Tables& tables)
{
    THashedStringList keys;
    for (int i = 0; i < tables.values.count(); ++i)
        keys.setValue(tables.values.nameAt(i), tables.values.valueAt(i));
    const HTML_Encoder encoder;
    std::vector<Entry> entries;
    for (int i = 0; i < keys.count(); ++i) {
        Entry e{keys.nameAt(i), keys.valueAt(i), tables.html.value(keys.nameAt(i)) == "1",
                tables.breaks.value(keys.nameAt(i)) == "1"};
        if (tables.unixEnds.value(e.key) == "1")
            e.text = LineBreaks::normalize(e.text, LineBreaks::lf);
        if (e.html)
            e.text = encoder.encodeEntities(e.text);
        entries.push_back(std::move(e));
    }
    return entries;
}

// Reads what `file` holds at `pos`: `literal` as it stands, or a failure naming the place.
void take(std::string_view file, std::size_t& pos, std::string_view literal, const char* format)
{
    if (file.substr(pos, literal.size()) != literal)
        propertyFailed(std::string(format) + " file: expected \"" + printable(literal) + "\" at byte " +
                       std::to_string(pos) + ", found \"" + printable(file.substr(pos, 40)) + "\"");
    pos += literal.size();
}

// A PO string from the opening quote to the closing one: the escapes \\ \" \n \r and no raw
// quote or line break. Returns the text it stands for.
std::string poString(std::string_view file, std::size_t& pos)
{
    take(file, pos, "\"", "PO");
    std::string text;
    while (pos < file.size() && file[pos] != '"') {
        const char c = file[pos++];
        expectTrue(c != '\n' && c != '\r',
                   "PO file: a raw line break in a string at byte " + std::to_string(pos));
        if (c != '\\') {
            text += c;
            continue;
        }
        const char e = pos < file.size() ? file[pos++] : '\0';
        expectTrue(e == '\\' || e == '"' || e == 'n' || e == 'r',
                   "PO file: an unknown escape in a string at byte " + std::to_string(pos));
        text += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
    }
    take(file, pos, "\"", "PO");
    return text;
}

// A PHP double-quoted literal: \\ \$ \" and no other backslash, no bare "$".
std::string phpString(std::string_view file, std::size_t& pos)
{
    take(file, pos, "\"", "PHP");
    std::string text;
    while (pos < file.size() && file[pos] != '"') {
        const char c = file[pos++];
        expectTrue(c != '$', "PHP file: a bare $ in a literal at byte " + std::to_string(pos));
        if (c != '\\') {
            text += c;
            continue;
        }
        const char e = pos < file.size() ? file[pos++] : '\0';
        expectTrue(e == '\\' || e == '"' || e == '$',
                   "PHP file: a backslash that escapes nothing at byte " + std::to_string(pos));
        text += e;
    }
    take(file, pos, "\"", "PHP");
    return text;
}

void checkPo(std::string_view file, const std::vector<Entry>& entries, const std::string& fileName)
{
    std::size_t pos = 0;
    take(file, pos, "msgid \"\"\nmsgstr \"\"\n", "PO");
    expectEqual(poString(file, pos), "Project-Id-Version: " + fileName + " 1.0\n", "PO header");
    take(file, pos,
         "\n\"MIME-Version: 1.0\\n\"\n"
         "\"Content-Type: text/plain; charset=CP1252\\n\"\n"
         "\"Content-Transfer-Encoding: 8bit\\n\"\n\n",
         "PO");
    for (const Entry& e : entries) {
        if (e.key.empty())
            continue;
        take(file, pos, "msgid ", "PO");
        expectEqual(poString(file, pos), e.key, "PO msgid");
        take(file, pos, "\nmsgstr ", "PO");
        expectEqual(poString(file, pos), e.text, "PO msgstr of \"" + printable(e.key) + "\"");
        take(file, pos, "\n\n", "PO");
    }
    expectTrue(pos == file.size(), "PO file: more after the last entry");
}

void checkPhp(std::string_view file, const std::vector<Entry>& entries)
{
    const HTML_Encoder encoder;
    std::size_t pos = 0;
    take(file, pos, "<?php \n", "PHP");
    for (const Entry& e : entries) {
        take(file, pos, "$translation[ ", "PHP");
        expectEqual(phpString(file, pos), e.key, "PHP key");
        take(file, pos, " ] = ", "PHP");
        const std::string text = e.html && e.breaks ? encoder.insertHtmlBreaks(e.text) : e.text;
        expectEqual(phpString(file, pos), text, "PHP text of \"" + printable(e.key) + "\"");
        take(file, pos, ";\n", "PHP");
    }
    take(file, pos, "\n?>", "PHP");
    expectTrue(pos == file.size(), "PHP file: more after ?>");
}

// PHP includes the file; every key and text it gets is what the file's literals say.
void checkWithPhp(const std::string& path, const std::vector<Entry>& entries)
{
    const Outcome lint = run({"php", "-n", "-l", path}, ErrorOutput::withOutput);
    expectTrue(lint.status == 0, "php -l refused the PHP file: " + lint.output);

    static const std::string script = [] {
        const std::string p = scratch().path("dump.php");
        writeFile(p, "<?php\n"
                     "include $argv[1];\n"
                     "foreach ($translation ?? [] as $key => $text)\n"
                     "    echo bin2hex((string)$key), ' ', bin2hex($text), \"\\n\";\n");
        return p;
    }();
    const HTML_Encoder encoder;
    // PHP keeps one element per key, in the order of the key's first assignment.
    std::vector<std::pair<std::string, std::string>> elements;
    for (const Entry& e : entries) {
        const std::string text = e.html && e.breaks ? encoder.insertHtmlBreaks(e.text) : e.text;
        auto same =
            std::find_if(elements.begin(), elements.end(), [&](const auto& p) { return p.first == e.key; });
        if (same == elements.end())
            elements.emplace_back(e.key, text);
        else
            same->second = text;
    }
    std::string expected;
    for (const auto& [key, text] : elements)
        expected += hex(key) + " " + hex(text) + "\n";
    const Outcome dump = run({"php", "-n", script, path}, ErrorOutput::dropped);
    expectTrue(dump.status == 0, "PHP could not include the file");
    expectEqual(dump.output, expected, "PHP read other texts than the file holds (hex: key text)");
}

// gettext refuses an entry whose msgid and msgstr do not both begin with LF or both not,
// or do not both end with LF or both not, any string holding EOT, its context separator,
// and any byte that the catalogue's character set, Windows-1252, leaves undefined: rules of
// the PO format that keys and texts may break.
bool gettextTakes(const std::vector<Entry>& entries)
{
    constexpr std::string_view refused("\x04\x81\x8D\x8F\x90\x9D");
    for (const Entry& e : entries) {
        if (e.key.empty())
            continue;
        if (e.key.find_first_of(refused) != std::string::npos ||
            e.text.find_first_of(refused) != std::string::npos)
            return false;
        if ((e.key.front() == '\n') != (e.text.front() == '\n') ||
            (e.key.back() == '\n') != (e.text.back() == '\n'))
            return false;
    }
    return true;
}

// gettext compiles the catalogue and gives back every text for its key.
void checkWithGettext(const std::string& path, const std::vector<Entry>& entries)
{
    const std::string mo = scratch().path("out.mo");
    const Outcome compiled = run({"msgfmt", "-o", mo, path}, ErrorOutput::withOutput);
    expectTrue(compiled.status == 0, "msgfmt refused the PO file: " + compiled.output);
    const Outcome catalogue = run({"msgunfmt", mo}, ErrorOutput::dropped);
    expectTrue(catalogue.status == 0, "msgunfmt could not read the compiled catalogue");
    std::map<std::string, std::string> expected;
    for (const Entry& e : entries)
        if (!e.key.empty())
            expected[e.key] = e.text;
    const auto read = readPo(catalogue.output);
    std::string want, got;
    for (const auto& [key, text] : expected)
        want += hex(key) + " " + hex(text) + "\n";
    for (const auto& [key, text] : read)
        got += hex(key) + " " + hex(text) + "\n";
    expectEqual(got, want, "gettext read other texts than the PO file holds (hex: key text)");
}

// Whether the consumers read this input's files: KORVEL_FUZZ_CONSUMERS=all for every input,
// =none for none; by default one input in 500, picked by its bytes so that a finding repeats.
bool consumersRead(std::string_view input)
{
    static const std::string mode = [] {
        const char* chosen = std::getenv("KORVEL_FUZZ_CONSUMERS");
        return std::string(chosen ? chosen : "");
    }();
    if (mode == "all")
        return true;
    if (mode == "none")
        return false;
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (char c : input)
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    return h % 500 == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Tables tables = parseTables(input);
    const std::string po = scratch().path("out.po");
    const std::string php = scratch().path("out.php");
    const std::vector<Entry> entries = expectedEntries(tables);

    const std::string poFile = exportTwice("Varnex.so", tables, po);
    checkPo(poFile, entries, po);
    const std::string phpFile = exportTwice("php.so", tables, php);
    checkPhp(phpFile, entries);

    if (!tables.hasNul && consumersRead(input)) {
        checkWithPhp(php, entries);
        if (gettextTakes(entries))
            checkWithGettext(po, entries);
    }
    return 0;
}
