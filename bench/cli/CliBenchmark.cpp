// korvel-cli at 100,000 keys: diff and sync of a translation against its reference, set
// against reading both packs with the program's reader, and import of a dump, set against
// the dump. Each command runs as a process of its own, as a build pipeline runs it.
#include "LanguagePack.h"
#include "PackGenerator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int keyCount = 100000;
const int runs = std::getenv("KORVEL_BENCH_RUNS") ? std::atoi(std::getenv("KORVEL_BENCH_RUNS")) : 7;

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void shell(const std::string& command)
{
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// The reference with placeholders in every tenth text; the translation in step with it but
// for 1,000 keys it lacks, 1,000 it has too many, 1,000 empty texts, and its placeholders
// in another order.
void writePacks(const std::string& reference, const std::string& translation)
{
    LanguagePack de, en;
    generatePack(de, keyCount);
    generatePack(en, keyCount);
    for (int row = 0; row < keyCount; row += 10) {
        const std::string key = de.keys.at(row);
        KeyRecord record = de.record(key);
        record.text += " %s {name}";
        de.setRecord(key, record);
        record.text = "{name} %s " + en.record(key).text;
        en.setRecord(key, record);
    }
    std::vector<std::string> obsolete;
    for (int row = keyCount - 100; row >= 0; row -= 100) {
        obsolete.push_back("obsolete." + en.keys.at(row));
        en.removeKey(row, std::string(en.keys.at(row)));
    }
    for (const std::string& key : obsolete)
        en.setRecord(key, {"Alt", "", "0", "0", "0"});
    en.addKeys(obsolete);
    for (int row = 5; row < en.keys.count(); row += 100)
        en.setRecord(en.keys.at(row), {});
    de.write(reference);
    en.write(translation);
}

} // namespace

// With a folder as its argument, the packs are written there and kept. With --read and two
// packs it reads them and ends: the reading of both in a process of its own, with the same
// start and end as a command's.
int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--read") {
        LanguagePack reference, translation;
        reference.open(argv[2]);
        translation.open(argv[3]);
        return 0;
    }
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1])
                 : std::filesystem::temp_directory_path() / ("korvel-cli-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string cli = KORVEL_CLI;
    const std::string de = (dir / "de.xml").string(), en = (dir / "en.xml").string();
    const std::string work = (dir / "work.xml").string(), json = (dir / "dump.json").string();
    writePacks(de, en);

    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    // One round runs every command once, so that other work on the machine weighs on all of them
    // alike; the ratios are taken per round, then their medians.
    std::vector<double> readBoth, diff, sync, dump, import, diffRatio, syncRatio, importRatio;
    for (int round = 0; round < runs; ++round) {
        readBoth.push_back(seconds([&] { shell(self + " --read " + de + " " + en); }));
        diff.push_back(seconds([&] { shell(cli + " diff " + de + " " + en + " >/dev/null || true"); }));
        std::filesystem::copy_file(en, work, std::filesystem::copy_options::overwrite_existing);
        sync.push_back(
            seconds([&] { shell(cli + " sync --drop-obsolete " + de + " " + work + " >/dev/null"); }));
        dump.push_back(seconds([&] { shell(cli + " dump " + de + " >" + json); }));
        import.push_back(seconds([&] { shell(cli + " import " + json + " " + work);
    }));
    diffRatio.push_back(diff.back() / readBoth.back());
    syncRatio.push_back(sync.back() / readBoth.back());
    importRatio.push_back(import.back() / dump.back());
}

std::printf("korvel-cli at %d keys (medians of %d rounds):\n", keyCount, runs);
std::printf("%-52s %8.1f ms\n", "read both packs (LanguagePack::open, a process)", median(readBoth) * 1e3);
std::printf("%-52s %8.1f ms  %.2fx the reading\n", "diff (1,000 missing, untranslated, obsolete)",
            median(diff) * 1e3, median(diffRatio));
std::printf("%-52s %8.1f ms  %.2fx the reading\n", "sync --drop-obsolete (1,000 added, 1,000 dropped)",
            median(sync) * 1e3, median(syncRatio));
std::printf("%-52s %8.1f ms\n", "dump of the reference", median(dump) * 1e3);
std::printf("%-52s %8.1f ms  %.2fx the dump\n", "import of that dump", median(import) * 1e3,
            median(importRatio));
if (argc == 1)
    std::filesystem::remove_all(dir);
}
