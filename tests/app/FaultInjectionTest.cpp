// Saving and exporting when the system fails them: a full disk, a read-only folder, a folder
// where the file should be, a folder or file that goes away between the dialog and the
// write or read, and a plug-in that throws in any of its functions. After each, the file on
// disk is the old one or the new one, never a mix; no temporary file stays beside it; the
// message is German and names the cause; and the window goes on working.
#include "FileSizeLimit.h"
#include "LifecycleFixture.h"
#include "TestPlugins.h"

#include <QListWidget>

#include <fstream>
#include <optional>
#include <sys/mount.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A folder for the test's files that can be made full or read-only: a small file system of
// its own where the test may mount one (as root), else a plain folder, made full by a file
// size limit and read-only by its permissions.
class FaultyFolder
{
public:
    explicit FaultyFolder(const fs::path& where) : path(where)
    {
        fs::create_directories(path);
        mounted = ::mount("korvel-test", path.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~FaultyFolder()
    {
        if (mounted)
            ::umount(path.c_str());
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, ignored);
    }
    FaultyFolder(const FaultyFolder&) = delete;
    FaultyFolder& operator=(const FaultyFolder&) = delete;

    // Writes beyond 64 KiB fail while the result lives.
    std::optional<FileSizeLimit> fillUp() const
    {
        if (mounted)
            return std::nullopt;
        return std::make_optional<FileSizeLimit>(64 * 1024);
    }
    void makeReadOnly() const
    {
        if (mounted)
            ::mount("korvel-test", path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k");
        else
            fs::permissions(path, fs::perms::owner_read | fs::perms::owner_exec);
    }
    // What the system says about a write into the folder once it is read-only.
    std::string readOnlyCause() const
    {
        return mounted ? "Das Dateisystem ist schreibgeschützt." : "Keine Berechtigung.";
    }
    // Whether this process can make the folder read-only for itself.
    bool canBeMadeReadOnly() const { return mounted || ::geteuid() != 0; }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path path;

private:
    bool mounted = false;
};

class FaultInjectionTest : public LifecycleFixture
{
protected:
    // A pack in the faulty folder, open in the window, with its bytes as they are on disk.
    std::string openPackIn(const FaultyFolder& small)
    {
        const std::string pack = (small.path / "pack.xml").string();
        fs::copy_file(example("shop_frontend_de.xml"), pack);
        open(pack);
        return TempDir::read(pack);
    }

    // A translation too large for the faulty folder's 64 KiB, taken over for the shown key.
    void takeOverALargeText()
    {
        typeInto(window->lpValue, QString(100 * 1024, 'x'));
        window->submitAction->trigger();
    }

    // The window goes on: the pack can be saved under another name.
    void expectSaveAsWorks()
    {
        dialogs.takeShown();
        dialogs.fileAnswers.push_back(folder.path("elsewhere.xml"));
        window->saveasAction->trigger();
        EXPECT_EQ(status(), "Gespeichert: elsewhere.xml");
        EXPECT_TRUE(fs::exists(folder.path("elsewhere.xml")));
    }

    std::string lastError()
    {
        for (auto it = dialogs.shown.rbegin(); it != dialogs.shown.rend(); ++it)
            if (it->starts_with("error: "))
                return it->substr(7);
        return {};
    }

    FaultyFolder faulty{folder.root / "faulty"};
};

TEST_F(FaultInjectionTest, SaveOnAFullDiskKeepsTheOldFile)
{
    const std::string old = openPackIn(faulty);
    takeOverALargeText();
    {
        const auto fullDisk = faulty.fillUp();
        window->saveAction->trigger();
    }
    EXPECT_EQ(lastError(), "Datei \"" + (faulty.path / "pack.xml").string() +
                               "\" kann nicht gespeichert werden. Kein Platz mehr auf dem Datenträger.");
    EXPECT_EQ(TempDir::read((faulty.path / "pack.xml").string()), old);
    EXPECT_EQ(faulty.files(), std::vector<std::string>{"pack.xml"});
    expectSaveAsWorks();
}

TEST_F(FaultInjectionTest, SaveIntoAReadOnlyFolderKeepsTheOldFile)
{
    if (!faulty.canBeMadeReadOnly())
        GTEST_SKIP() << "root without a file system of its own ignores a folder's permissions";
    const std::string old = openPackIn(faulty);
    typeInto(window->lpValue, "geändert");
    faulty.makeReadOnly();
    window->saveAction->trigger();
    EXPECT_EQ(lastError(), "Datei \"" + (faulty.path / "pack.xml").string() +
                               "\" kann nicht gespeichert werden. " + faulty.readOnlyCause());
    EXPECT_EQ(TempDir::read((faulty.path / "pack.xml").string()), old);
    EXPECT_EQ(faulty.files(), std::vector<std::string>{"pack.xml"});
    expectSaveAsWorks();
}

// Save as to a folder's name, and to a folder that is removed once the dialog is confirmed.
TEST_F(FaultInjectionTest, SaveAsWhereNoFileCanBeWrittenWritesNothing)
{
    open(example("shop_frontend_en.xml"));
    fs::create_directory(folder.path("taken"));
    fs::create_directory(folder.path("gone"));
    const std::pair<std::string, std::string> cases[] = {
        {folder.path("taken"), "Das ist ein Ordner, keine Datei."},
        {folder.path("gone/pack.xml"), "Datei oder Ordner nicht gefunden."},
    };
    dialogs.afterFileDialog = [this] { fs::remove(folder.path("gone")); };
    for (const auto& [target, cause] : cases) {
        dialogs.fileAnswers.push_back(target);
        window->saveasAction->trigger();
        EXPECT_EQ(lastError(), "Datei \"" + target + "\" kann nicht gespeichert werden. " + cause);
    }
    dialogs.afterFileDialog = nullptr;
    EXPECT_TRUE(fs::is_empty(folder.path("taken")));
    expectSaveAsWorks();
}

TEST_F(FaultInjectionTest, APackRemovedBetweenTheDialogAndTheReadIsReported)
{
    const std::string pack = example("shop_frontend_de.xml");
    dialogs.afterFileDialog = [&pack] { fs::remove(pack); };
    open(pack);
    dialogs.afterFileDialog = nullptr;
    EXPECT_EQ(lastError(),
              "Datei \"" + pack + "\" kann nicht gelesen werden. Datei oder Ordner nicht gefunden.");
    dialogs.takeShown();
    open(example("shop_frontend_en.xml"));
    EXPECT_EQ(status(), "Languagepack geladen: shop_frontend_en.xml");
}

// The real plug-ins write through the safe replace: an earlier export stays whole.
TEST_F(FaultInjectionTest, ExportsThatCannotBeWrittenKeepTheEarlierFile)
{
    window = std::make_unique<TForm1>(dialogs, QString::fromUtf8(KORVEL_BIN_DIR));
    openPackIn(faulty);
    takeOverALargeText();
    const std::string earlier = (faulty.path / "earlier.po").string();
    std::ofstream(earlier) << "the earlier export";
    fs::create_directory(folder.path("taken.po"));
    fs::create_directory(folder.path("gone"));
    const std::pair<std::string, std::string> cases[] = {
        {earlier, "Kein Platz mehr auf dem Datenträger."},
        {folder.path("taken.po"), "Das ist ein Ordner, keine Datei."},
        {folder.path("gone/x.po"), "Datei oder Ordner nicht gefunden."},
    };
    dialogs.afterFileDialog = [this] { fs::remove_all(folder.path("gone")); };
    for (const auto& [target, cause] : cases) {
        for (int row = 0; row < window->exportModules->count(); ++row) {
            window->exportModules->setCurrentRow(row);
            dialogs.fileAnswers.push_back(target);
            const auto fullDisk = faulty.fillUp();
            window->exportAction->trigger();
            EXPECT_EQ(lastError(), "Datei \"" + target + "\" kann nicht erstellt werden. " + cause);
        }
    }
    dialogs.afterFileDialog = nullptr;
    EXPECT_EQ(TempDir::read(earlier), "the earlier export");
    EXPECT_EQ(faulty.files(), (std::vector<std::string>{"earlier.po", "pack.xml"}));
    dialogs.takeShown();
    dialogs.fileAnswers.push_back(folder.path("next.po"));
    window->exportAction->trigger();
    EXPECT_TRUE(fs::file_size(folder.path("next.po")) > 100 * 1024);
}

// Whichever of its functions a plug-in fails in, its module is freed, its error is shown and
// the next export works.
TEST_F(FaultInjectionTest, APluginThatThrowsInAnyFunctionLeavesTheWindowUsable)
{
    const std::string program = KORVEL_TEST_PROGRAM_DIR;
    window = std::make_unique<TForm1>(dialogs, QString::fromStdString(program));
    open(example("shop_frontend_en.xml"));
    window->exportModules->setCurrentItem(
        window->exportModules->findItems("Faulty", Qt::MatchExactly).value(0));
    const std::string target = folder.path("out.txt");
    for (const char* function :
         {"Export_getDefaultExtension", "Export_getFilterMask", "Export_getExportName", "Export_Init",
          "Export_setHashlistKeys", "Export_setHashlistHTML", "Export_setHashlistBreaks",
          "Export_setHashlistLinebreaks", "Export_setFileName", "Export_startExport", "Export_Free"}) {
        fs::remove(target);
        takeTestPluginCalls(program, "Faulty.so");
        makeTestPluginThrowIn(program, "Faulty.so", function);
        dialogs.fileAnswers = {target};
        window->exportAction->trigger();
        EXPECT_EQ(lastError(), std::string("Faulty: ") + function + " fehlgeschlagen");
        const std::string calls = takeTestPluginCalls(program, "Faulty.so");
        if (calls.find("Init;") != std::string::npos) {
            EXPECT_TRUE(calls.ends_with("Free;")) << function << ": " << calls;
        }
        // Only a failure after the export has written its file leaves one, and a whole one.
        EXPECT_EQ(fs::exists(target), std::string(function) == "Export_Free") << function;
    }
    makeTestPluginThrowIn(program, "Faulty.so", "");
    dialogs.takeShown();
    dialogs.fileAnswers = {target};
    window->exportAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), std::vector<std::string>{"save: Faulty-Export"});
    EXPECT_TRUE(TempDir::read(target).starts_with("Faulty ")) << TempDir::read(target);
}

} // namespace
