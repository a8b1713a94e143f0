// plugin_search_bench [program folder]: times the plug-in search of a starting program. Each
// round is a fresh process, so the search loads the libraries as it does at start-up; a
// second search in the same process shows what is left when they are loaded already.
#include "ExportHost.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int rounds = 21;

double searchMilliseconds(const std::string& folder, std::size_t& found)
{
    const auto start = std::chrono::steady_clock::now();
    found = findPlugins(folder).size();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// One round in a child: "first second found" on its standard output.
int child(const std::string& folder)
{
    std::size_t found = 0;
    const double first = searchMilliseconds(folder, found);
    const double second = searchMilliseconds(folder, found);
    std::printf("%f %f %zu\n", first, second, found);
    return 0;
}

void report(const char* what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    std::printf("%-36s median %7.3f ms   max %7.3f ms   (%zu processes)\n", what, samples[samples.size() / 2],
                samples.back(), samples.size());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : KORVEL_BIN_DIR;
    if (argc > 2 && std::string(argv[2]) == "--child")
        return child(folder);

    std::vector<double> first, second;
    std::size_t found = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::string command = "'" + std::string(argv[0]) + "' '" + folder + "' --child";
        FILE* pipe = ::popen(command.c_str(), "r");
        double a = 0, b = 0;
        if (!pipe || std::fscanf(pipe, "%lf %lf %zu", &a, &b, &found) != 3 || ::pclose(pipe) != 0) {
            std::fprintf(stderr, "round %d failed\n", round);
            return 1;
        }
        first.push_back(a);
        second.push_back(b);
    }
    std::printf("%zu plug-ins found in %s\n", found, pluginPath(folder, "").c_str());
    report("search at start-up (libraries loaded)", first);
    report("search again (libraries in memory)", second);
    return 0;
}
