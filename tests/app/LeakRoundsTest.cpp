// A thousand rounds of everyday work in one window: open, edit, add a key, save, export
// through both plug-ins, close. In the sanitizer build LeakSanitizer reports whatever the
// rounds leave behind when the process ends; here the heap in use and the process's memory
// must stay where they were after the first round.
#include "FakeUserDialogs.h"
#include "TForm1.h"
#include "lpnewkey.h"

#include <QAction>
#include <QCoreApplication>
#include <QListWidget>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of the bytes allocated and not freed (g++ ships no header).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
// Freed memory is held back for a while to catch its use; a small hold keeps the process's
// memory a measure of what is still in use.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=1";
}
#endif

namespace {

// Bytes the program has allocated and not freed.
std::size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

std::size_t residentBytes()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// A folder in memory where possible: each round syncs three files, which on a disk would
// cost more than the rest of the round.
std::filesystem::path workFolder()
{
    std::string pattern =
        (::access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm")
                                         : std::filesystem::temp_directory_path().string()) +
        "/korvel-rounds-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

class Rounds
{
public:
    Rounds() : folder(workFolder()), window(dialogs, QString::fromUtf8(KORVEL_BIN_DIR))
    {
        window.pack.clock = [] { return LocalDateTime{2026, 12, 7, 9, 5}; };
    }
    ~Rounds()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // What the scripted dialogs record of a round is dropped with it.
    void round()
    {
        dialogs.fileDialogs.clear();
        const std::string pack = (folder / "pack.xml").string();
        std::filesystem::copy_file(KORVEL_EXAMPLES_DIR "/shop_frontend_de.xml", pack,
                                   std::filesystem::copy_options::overwrite_existing);
        dialogs.fileAnswers.push_back(pack);
        window.loadAction->trigger();
        window.lpValue->insertPlainText("Änderung ");
        window.submitAction->trigger();
        window.newAction->trigger();
        window.findChild<TNewKey*>("newKeyDialog")->setKeyName("neu.schluessel");
        window.findChild<TNewKey*>("newKeyDialog")->Button1Click();
        window.lpValue->insertPlainText("Neuer Text");
        window.saveAction->trigger();
        for (int row = 0; row < window.exportModules->count(); ++row) {
            window.exportModules->setCurrentRow(row);
            dialogs.fileAnswers.push_back((folder / ("export" + std::to_string(row))).string());
            window.exportAction->trigger();
        }
        window.closeAction->trigger();
        QCoreApplication::processEvents();
    }

    FakeUserDialogs dialogs;

private:
    std::filesystem::path folder;
    TForm1 window;
};

TEST(LeakRounds, AThousandRoundsOfWorkLeaveTheMemoryWhereTheFirstLeftIt)
{
    Rounds rounds;
    rounds.round();
    // The open dialog and the two export dialogs, and no message.
    std::vector<std::string> shown = rounds.dialogs.takeShown();
    std::sort(shown.begin(), shown.end());
    ASSERT_EQ(shown, (std::vector<std::string>{"open: Languagepack laden", "save: PHP-Export",
                                               "save: Varnex-Export"}));
    const std::size_t heapAfterFirst = heapInUse();
    const std::size_t residentAfterFirst = residentBytes();
    std::size_t dialogsShown = 0;
    for (int i = 1; i < 1000; ++i) {
        rounds.round();
        dialogsShown += rounds.dialogs.takeShown().size();
    }
    EXPECT_EQ(dialogsShown, 999u * 3);
    constexpr std::size_t mebibyte = 1024 * 1024;
    EXPECT_LT(heapInUse(), heapAfterFirst + mebibyte) << heapAfterFirst;
    EXPECT_LT(residentBytes(), residentAfterFirst + 8 * mebibyte) << residentAfterFirst;
}

} // namespace
