// Exports 100,000 keys through each plug-in library, loaded as Korvel loads it, and sets the
// time against writing the same number of bytes with a single write and with the safe replace
// that every export goes through.

#include "PluginLibrary.h"
#include "SafeFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

struct Tables
{
    THashedStringList values, html, breaks, unixEnds;
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
        tables.unixEnds.setValue(key, mixed && i % 2 == 0 ? "1" : "0");
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

void measure(const char* label, const ExportFunctions& plugin, const Tables& tables,
             const std::string& folder)
{
    const std::string target = folder + "/export." + label;
    const std::string plain = folder + "/single-write." + label;
    const std::string replaced = folder + "/replaced." + label;

    const double fullRun = bestSeconds(
        [&] { runExport(plugin, tables.values, tables.html, tables.breaks, tables.unixEnds, target); });

    // A module holding the tables and the target, ready to export.
    plugin.Export_Init();
    plugin.Export_setHashlistKeys(tables.values);
    plugin.Export_setHashlistHTML(tables.html);
    plugin.Export_setHashlistBreaks(tables.breaks);
    plugin.Export_setHashlistLinebreaks(tables.unixEnds);
    plugin.Export_setFileName(target);
    const double exportOnly = bestSeconds([&] { plugin.Export_startExport(); });
    plugin.Export_Free();

    std::ifstream in(target, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const double singleWrite = bestSeconds([&] { writeOnce(plain, bytes); });
    const double safeReplace =
        bestSeconds([&] { SafeFile::replace(replaced, bytes, FileError(replaced, FileError::Step::save)); });

    std::printf("%-4s %9zu bytes  startExport %7.2f ms  (a single write %.2f ms, a safe replace %.2f ms: "
                "%.1fx)  whole run Init..Free %7.2f ms\n",
                label, bytes.size(), exportOnly * 1e3, singleWrite * 1e3, safeReplace * 1e3,
                exportOnly / safeReplace, fullRun * 1e3);
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
    const PluginLibrary varnexLibrary(std::string(KORVEL_PLUGIN_DIR) + "/Varnex.so");
    const PluginLibrary phpLibrary(std::string(KORVEL_PLUGIN_DIR) + "/php.so");
    const ExportFunctions& varnex = varnexLibrary.functions();
    const ExportFunctions& php = phpLibrary.functions();
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
