// Exports 100,000 keys through each plug-in library, loaded as Korvel loads it, and sets the
// time against writing the same number of bytes with a single write.

#include "genericExportInterface.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

constexpr int keyCount = 100000;
constexpr int rounds = 7;

struct Plugin
{
    TExport_Init init;
    TExport_setHashlistKeys setKeys;
    TExport_setHashlistHTML setHtml;
    TExport_setHashlistBreaks setBreaks;
    TExport_setHashlistLinebreaks setLinebreaks;
    TExport_setFileName setFileName;
    TExport_startExport startExport;
    TExport_Free free;
};

template <typename Function> Function bind(void* handle, const char* name)
{
    auto function = reinterpret_cast<Function>(dlsym(handle, name));
    if (!function)
        throw std::runtime_error(std::string("missing ") + name);
    return function;
}

Plugin load(const std::string& path)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw std::runtime_error(dlerror());
    return {bind<TExport_Init>(handle, "Export_Init"),
            bind<TExport_setHashlistKeys>(handle, "Export_setHashlistKeys"),
            bind<TExport_setHashlistHTML>(handle, "Export_setHashlistHTML"),
            bind<TExport_setHashlistBreaks>(handle, "Export_setHashlistBreaks"),
            bind<TExport_setHashlistLinebreaks>(handle, "Export_setHashlistLinebreaks"),
            bind<TExport_setFileName>(handle, "Export_setFileName"),
            bind<TExport_startExport>(handle, "Export_startExport"),
            bind<TExport_Free>(handle, "Export_Free")};
}

struct Tables
{
    THashedStringList values, html, breaks, unix;
};

// Mixed: three texts in four need escaping or conversion (umlauts, quotes, markup, CR LF,
// the euro sign), a third of the keys are HTML-encoded, half get UNIX line ends. Plain: ASCII
// texts with nothing to escape and every flag off, the cheapest case per byte.
Tables makeTables(bool mixed)
{
    const std::string plainSamples[] = {
        "Die Datei wurde erfolgreich gespeichert.",
        "Bitte geben Sie Ihren Benutzernamen und Ihr Passwort ein.",
        "Keine Treffer gefunden",
        "Preis: 5 EUR (inkl. MwSt.)",
    };
    const std::string mixedSamples[] = {
        "Die Datei wurde erfolgreich gespeichert.",
        "Gr\xF6\xDF"
        "e der Auswahl: \"%d\" & <b>mehr</b>",
        "Bitte geben Sie Ihren Benutzernamen und Ihr Passwort ein.\r\nDanach auf Anmelden klicken.",
        "Preis: 5 \x80 (inkl. MwSt.)",
    };
    Tables tables;
    for (int i = 0; i < keyCount; ++i) {
        const std::string key = "section" + std::to_string(i % 100) + ".message" + std::to_string(i);
        tables.values.setValue(key, mixed ? mixedSamples[i % 4] : plainSamples[i % 4]);
        tables.html.setValue(key, mixed && i % 3 == 0 ? "1" : "0");
        tables.breaks.setValue(key, mixed && i % 4 == 0 ? "1" : "0");
        tables.unix.setValue(key, mixed && i % 2 == 0 ? "1" : "0");
    }
    return tables;
}

double bestSeconds(const std::function<void()>& work)
{
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void writeOnce(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::close(fd) != 0)
        throw std::runtime_error("write failed: " + path);
}

void measure(const char* label, const Plugin& plugin, const Tables& tables, const std::string& folder)
{
    const std::string target = folder + "/export." + label;
    const std::string plain = folder + "/single-write." + label;

    // A module holding the tables and the target, ready to export.
    const auto prepare = [&] {
        plugin.init();
        plugin.setKeys(tables.values);
        plugin.setHtml(tables.html);
        plugin.setBreaks(tables.breaks);
        plugin.setLinebreaks(tables.unix);
        plugin.setFileName(target);
    };
    const double fullRun = bestSeconds([&] {
        prepare();
        plugin.startExport();
        plugin.free();
    });

    prepare();
    const double exportOnly = bestSeconds([&] { plugin.startExport(); });
    plugin.free();

    std::ifstream in(target, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const double singleWrite = bestSeconds([&] { writeOnce(plain, bytes); });

    std::printf("%-4s %9zu bytes  startExport %7.2f ms  (%.1fx a single write of %.2f ms)  "
                "whole run Init..Free %7.2f ms\n",
                label, bytes.size(), exportOnly * 1e3, exportOnly / singleWrite, singleWrite * 1e3,
                fullRun * 1e3);
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder = argc > 1 ? argv[1] : "";
    bool ownFolder = false;
    if (folder.empty()) {
        folder = (std::filesystem::temp_directory_path() / "korvel-bench-XXXXXX").string();
        if (!mkdtemp(folder.data()))
            throw std::runtime_error("mkdtemp failed");
        ownFolder = true;
    }
    const Plugin varnex = load(std::string(KORVEL_PLUGIN_DIR) + "/Varnex.so");
    const Plugin php = load(std::string(KORVEL_PLUGIN_DIR) + "/php.so");
    std::printf("%d keys, best of %d rounds, files in %s\n", keyCount, rounds, folder.c_str());
    for (bool mixed : {true, false}) {
        const Tables tables = makeTables(mixed);
        std::printf("%s texts\n", mixed ? "mixed" : "plain");
        measure("po", varnex, tables, folder);
        measure("php", php, tables, folder);
    }
    if (ownFolder)
        std::filesystem::remove_all(folder);
    return 0;
}
