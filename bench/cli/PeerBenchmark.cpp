// korvel-cli beside its peers at 100,000 keys, each as a process of its own, with the same
// entries in each tool's own format: the export to PO beside Qt's lconvert (TS to PO) and
// GNU msgcat (PO to PO), and the reading and writing back beside a bare pugixml parse, save
// and fsync. One round runs every command once, so that other work on the machine weighs on
// all of them alike; the ratios are taken per round, then their medians.
#include "LanguagePack.h"
#include "PackGenerator.h"
#include "XmlFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int keyCount = 100000;
const int runs = std::getenv("KORVEL_BENCH_RUNS") ? std::atoi(std::getenv("KORVEL_BENCH_RUNS")) : 7;
const std::string lconvert = "/usr/lib/qt6/bin/lconvert";

double seconds(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The pack's entries as a Qt Linguist file: one message per key, its name as the source,
// its text as the translation, its comment as the translator's comment.
void writeTs(const LanguagePack& pack, const std::string& path)
{
    std::string ts = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n<TS version=\"2.1\" "
                     "language=\"de_DE\">\n<context>\n<name>pack</name>\n";
    for (const std::string& key : pack.keys.items()) {
        const KeyRecord r = pack.record(key);
        ts += "<message>\n<source>";
        XmlFile::appendText(ts, key, false);
        ts += "</source>\n";
        if (!r.comment.empty()) {
            ts += "<translatorcomment>";
            XmlFile::appendText(ts, r.comment, false);
            ts += "</translatorcomment>\n";
        }
        ts += "<translation>";
        XmlFile::appendText(ts, r.text, false);
        ts += "</translation>\n</message>\n";
    }
    ts += "</context>\n</TS>\n";
    std::ofstream(path, std::ios::binary) << ts;
}

struct Row
{
    const char* what;
    std::vector<double> times;
};

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1])
                 : std::filesystem::temp_directory_path() / ("korvel-peer-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string cli = KORVEL_CLI, bare = BARE_PUGIXML;
    const std::string pack = (dir / "pack.xml").string(), ts = (dir / "pack.ts").string();
    const std::string po = (dir / "pack.po").string(), out = (dir / "out").string();
    {
        LanguagePack entries;
        generatePack(entries, keyCount);
        entries.write(pack);
        writeTs(entries, ts);
    }
    // The PO file msgcat reads: the same entries, as the program exports them.
    seconds(cli + " export " + pack + " --plugin Varnex --output " + po);
    const bool withLconvert = std::filesystem::exists(lconvert);

    Row exportPo{"korvel-cli export (pack to PO)", {}}, lconvertPo{"lconvert (TS to PO)", {}};
    Row msgcat{"msgcat (PO to PO)", {}}, resave{"korvel-cli resave", {}};
    Row bareResave{"bare pugixml parse, save and fsync", {}}, bareParse{"bare pugixml parse", {}};
    std::vector<double> lconvertRatio, msgcatRatio, resaveRatio;
    for (int round = 0; round < runs; ++round) {
        exportPo.times.push_back(
            seconds(cli + " export " + pack + " --plugin Varnex --output " + out + ".po"));
        if (withLconvert)
            lconvertPo.times.push_back(seconds(lconvert + " -i " + ts + " -o " + out + "-lconvert.po"));
        msgcat.times.push_back(seconds("msgcat " + po + " -o " + out + "-msgcat.po 2>/dev/null"));
        resave.times.push_back(seconds(cli + " resave " + pack + " " + out + ".xml"));
        bareResave.times.push_back(seconds(bare + " resave " + pack + " " + out + "-bare.xml"));
        bareParse.times.push_back(seconds(bare + " parse " + pack));
        if (withLconvert)
            lconvertRatio.push_back(lconvertPo.times.back() / exportPo.times.back());
        msgcatRatio.push_back(msgcat.times.back() / exportPo.times.back());
        resaveRatio.push_back(resave.times.back() / bareResave.times.back());
    }

    std::printf(
        "korvel-cli beside its peers at %d keys, %.1f MiB pack (whole processes, medians of %d rounds):\n",
        keyCount, static_cast<double>(std::filesystem::file_size(pack)) / (1 << 20), runs);
    for (const Row* row : {&exportPo, &lconvertPo, &msgcat, &resave, &bareResave, &bareParse})
        if (!row->times.empty())
            std::printf("  %-40s %8.1f ms\n", row->what, median(row->times) * 1e3);
    if (withLconvert)
        std::printf("  export: lconvert takes %.1fx as long (goal: at least 5x)\n", median(lconvertRatio));
    else
        std::printf("  export: lconvert is not installed (Debian package qt6-l10n-tools)\n");
    std::printf("  export: msgcat takes %.1fx as long (goal: at least 10x)\n", median(msgcatRatio));
    std::printf("  resave: %.2fx the bare parse, save and fsync (goal: at most 2x)\n", median(resaveRatio));
    if (argc == 1)
        std::filesystem::remove_all(dir);
}
