// The export host's plug-in search over a Plugins folder of arbitrary entries. Each input is
// a list of records, one entry each (see makeEntries): files with arbitrary bytes, links to
// the two real plug-ins, truncated copies of one, folders, links that lead nowhere, into a
// folder or to a device, and pipes: what a broken installation or a stray file can leave. For every input the
// search ends, lists exactly the entries named "*.so" that lead to a real plug-in, each under that plug-in's
// name, and leaves out every other entry.

#include "ExportHost.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <map>
#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

enum Kind {
    plainFile,
    varnexLink,
    phpLink,
    folder,
    symbolicVarnex,
    danglingLink,
    linkToFolder,
    pipe,
    truncatedVarnex,
    linkToDevice,
    kindCount
};

// The real plug-ins, copied once into the scratch folder, so that hard links to them can
// stand in the Plugins folder and every load of them finds the one library loaded already.
const std::string& realPlugin(const char* fileName)
{
    static std::map<std::string, std::string> copies;
    std::string& copy = copies[fileName];
    if (copy.empty()) {
        copy = scratch().path(std::string("real-") + fileName);
        fs::copy_file(std::string(KORVEL_PLUGIN_DIR) + "/" + fileName, copy,
                      fs::copy_options::overwrite_existing);
    }
    return copy;
}

// How many bytes of the real Varnex plug-in its loaded segments need: any shorter copy is
// broken, as a copy cut short by a full disk would be.
std::size_t loadedLength(const std::string& image)
{
    Elf64_Ehdr header;
    std::memcpy(&header, image.data(), sizeof header);
    std::size_t end = 0;
    for (int i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        std::memcpy(&segment, image.data() + header.e_phoff + i * sizeof segment, sizeof segment);
        if (segment.p_type == PT_LOAD)
            end = std::max<std::size_t>(end, segment.p_offset + segment.p_filesz);
    }
    return end;
}

// A byte at `pos`, 0 past the end.
unsigned char byteAt(std::string_view data, std::size_t& pos)
{
    return pos < data.size() ? static_cast<unsigned char>(data[pos++]) : 0;
}

// A name of up to 40 bytes that the folder can hold: no "/", no NUL, not "." or "..". The
// record's flag gives it the ending ".so".
std::string entryName(std::string_view data, std::size_t& pos, bool so)
{
    const std::size_t length = byteAt(data, pos) % 41;
    std::string name(data.substr(std::min(pos, data.size()), length));
    pos += length;
    for (char& c : name)
        if (c == '/' || c == '\0')
            c = '_';
    if (name.empty() || name == "." || name == "..")
        name = "x" + name;
    return so ? name + ".so" : name;
}

// The name of a link to a real plug-in: one of a few per plug-in, hidden or not, with the
// ending ".so" or not. The system's loader keeps every path it has loaded a library by and
// answers that path with that library from then on; so a path always leads to the same
// plug-in here, and the paths stay few, as they are in a program that searches once.
std::string pluginLinkName(const std::string& name, const char* plugin, bool so)
{
    unsigned sum = 0;
    for (const char c : name)
        sum += static_cast<unsigned char>(c);
    const std::string hidden = name.front() == '.' ? "." : "";
    return hidden + plugin + std::to_string(sum % 8) + (so ? ".so" : "");
}

// Arbitrary bytes as a file's content, except the start of an ELF image: a crafted image that
// passes the host's check of a library file reaches the system's loader, and fuzzing that is
// not this target's job. Images come in as truncated copies of a real plug-in instead.
std::string notAnElfImage(std::string_view content)
{
    std::string bytes(content);
    if (bytes.starts_with("\x7f"
                          "ELF"))
        bytes[0] = 'x';
    return bytes;
}

// Makes the entries of the input in `plugins`; returns the names that lead to a real
// plug-in, with that plug-in's name.
std::map<std::string, std::string> makeEntries(std::string_view data, const fs::path& plugins)
{
    std::map<std::string, std::string> expected;
    for (std::size_t pos = 0; pos < data.size();) {
        const unsigned char head = byteAt(data, pos);
        const auto kind = static_cast<Kind>(head % kindCount);
        const bool leadsToPlugin = kind == varnexLink || kind == phpLink || kind == symbolicVarnex;
        std::string name = entryName(data, pos, head & 0x80);
        if (leadsToPlugin)
            name = pluginLinkName(name, kind == phpLink ? "P" : "V", head & 0x80);
        const std::size_t length = byteAt(data, pos);
        const std::string_view content = data.substr(std::min(pos, data.size()), length);
        pos += length;
        const fs::path path = plugins / name;
        std::error_code exists;
        if (fs::symlink_status(path, exists).type() != fs::file_type::not_found)
            continue;
        std::error_code error;
        switch (kind) {
        case plainFile:
            writeFile(path, notAnElfImage(content));
            break;
        case varnexLink:
        case phpLink:
            fs::create_hard_link(realPlugin(kind == varnexLink ? "Varnex.so" : "php.so"), path, error);
            break;
        case folder:
            fs::create_directory(path, error);
            break;
        case symbolicVarnex:
            fs::create_symlink(realPlugin("Varnex.so"), path, error);
            break;
        case danglingLink:
            fs::create_symlink(scratch().path("nowhere"), path, error);
            break;
        case linkToFolder:
            fs::create_directory_symlink(scratch().root, path, error);
            break;
        case pipe:
            ::mkfifo(path.c_str(), 0600);
            break;
        case truncatedVarnex: {
            static const std::string whole = readFile(realPlugin("Varnex.so"));
            static const std::size_t needed = loadedLength(whole);
            writeFile(path, std::string_view(whole).substr(0, length * needed / 256));
            break;
        }
        case linkToDevice:
            fs::create_symlink("/dev/zero", path, error);
            break;
        case kindCount:
            break;
        }
        if (!error && leadsToPlugin && name.ends_with(".so"))
            expected[name] = kind == phpLink ? "PHP" : "Varnex";
    }
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path program = scratch().root / "program";
    const fs::path plugins = program / "Plugins";
    std::error_code ignored;
    fs::remove_all(program, ignored);
    fs::create_directories(plugins);
    const std::map<std::string, std::string> expected =
        makeEntries(std::string_view(reinterpret_cast<const char*>(data), size), plugins);

    std::map<std::string, std::string> listed;
    std::set<std::string> seen;
    for (const FoundPlugin& plugin : findPlugins(program.string() + "/")) {
        expectTrue(seen.insert(plugin.fileName).second, "listed twice: " + printable(plugin.fileName));
        listed[plugin.fileName] = plugin.exportName;
    }
    if (listed != expected) {
        std::string what = "listed:";
        for (const auto& [file, name] : listed)
            what += " " + printable(file) + "=" + name;
        what += "; expected:";
        for (const auto& [file, name] : expected)
            what += " " + printable(file) + "=" + name;
        propertyFailed(what);
    }
    fs::remove_all(program, ignored);
    return 0;
}
