// korvel_export_bench [keys]: the export host in the window. Start-up with both plug-ins,
// from the start of a fresh process to the window shown on screen (each round starts this
// program again, which then does what Korvel's main does), and the export of a generated
// pack (100,000 keys by default) through the window's run, from the confirmed save dialog to
// the end of the run, Export_Free included, for each plug-in.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include "PackGenerator.h"
#include "QtUserDialogs.h"
#include "TForm1.h"
#include "UserDialogs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QListWidget>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// steady_clock is CLOCK_MONOTONIC, one clock for all processes of the machine.
long long nowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

void report(const char* what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    std::printf("%-44s median %8.2f ms   max %8.2f ms   (%zu runs)\n", what, samples[samples.size() / 2],
                samples.back(), samples.size());
}

// The start of Korvel: application, German translations, the real dialogs, the window with
// the plug-ins of the build tree, shown. Prints the moment the window is on screen.
int startUp(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), "qtbase", "_",
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtGerman);
    QtUserDialogs dialogs;
    TForm1 window(dialogs, KORVEL_BIN_DIR);
    dialogs.setParentWindow(&window);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QApplication::processEvents();
    std::printf("%lld %d\n", nowNanoseconds(), window.exportModules->count());
    return 0;
}

std::vector<double> startUpRounds(const char* program, int rounds)
{
    std::vector<double> samples;
    for (int round = 0; round < rounds; ++round) {
        const std::string command = std::string("'") + program + "' --start-up";
        const long long start = nowNanoseconds();
        FILE* pipe = ::popen(command.c_str(), "r");
        long long shown = 0;
        int plugins = 0;
        if (!pipe || std::fscanf(pipe, "%lld %d", &shown, &plugins) != 2 || ::pclose(pipe) != 0 ||
            plugins != 2) {
            std::fprintf(stderr, "start-up round %d failed\n", round);
            std::exit(1);
        }
        samples.push_back(static_cast<double>(shown - start) / 1e6);
    }
    return samples;
}

// Confirms every save dialog with the next target and notes the moment.
class ConfirmingDialogs : public UserDialogs
{
public:
    std::string target;
    Clock::time_point confirmed;

    void information(const std::string& text) override { std::fprintf(stderr, "info: %s\n", text.c_str()); }
    void error(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
    Answer warning(const std::string&) override { return Answer::Abbrechen; }
    bool confirmation(const std::string&) override { return false; }
    bool openFile(FileDialogSettings&) override { return false; }
    bool saveFile(FileDialogSettings& dialog) override
    {
        dialog.fileName = target;
        confirmed = Clock::now();
        return true;
    }
};

std::vector<double> exportRounds(TForm1& window, ConfirmingDialogs& dialogs, const QString& plugin,
                                 const std::string& target, int rounds)
{
    window.exportModules->setCurrentItem(window.exportModules->findItems(plugin, Qt::MatchExactly).value(0));
    dialogs.target = target;
    std::vector<double> samples;
    for (int round = 0; round < rounds; ++round) {
        window.exportActionExecute();
        samples.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - dialogs.confirmed).count());
    }
    return samples;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::string(argv[1]) == "--start-up")
        return startUp(argc, argv);

    const std::vector<double> startUps = startUpRounds(argv[0], 11);

    QApplication application(argc, argv);
    const int keyCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    ConfirmingDialogs dialogs;
    TForm1 window(dialogs, KORVEL_BIN_DIR);
    generatePack(window.pack, keyCount);
    QTemporaryDir folder;
    const std::string base = folder.path().toStdString() + "/export";
    const std::vector<double> po = exportRounds(window, dialogs, "Varnex", base + ".po", 7);
    const std::vector<double> php = exportRounds(window, dialogs, "PHP", base + ".php", 7);

    std::printf("platform %s; %d keys, %d texts\n", qgetenv("QT_QPA_PLATFORM").constData(), keyCount,
                window.pack.ValueList.count());
    report("start-up with both plug-ins, to the window shown", startUps);
    report("export through Varnex, confirmed to Export_Free", po);
    report("export through PHP, confirmed to Export_Free", php);
    return 0;
}
