#include "LifecycleFixture.h"

#include "ExportConsumers.h"
#include "ExportHost.h"
#include "Process.h"
#include "TestPlugins.h"

#include <QListWidget>
#include <QTest>

#include <algorithm>
#include <optional>

namespace {

const std::string realProgram = KORVEL_BIN_DIR;
const std::string testProgram = KORVEL_TEST_PROGRAM_DIR;

// The window of a program in `programFolder`, whose Plugins folder it searches at start-up.
class ExportTest : public LifecycleFixture
{
protected:
    void startIn(const std::string& programFolder)
    {
        window = std::make_unique<TForm1>(dialogs, QString::fromStdString(programFolder));
    }

    QStringList lines() const
    {
        QStringList names;
        for (int i = 0; i < window->exportModules->count(); ++i)
            names << window->exportModules->item(i)->text();
        return names;
    }

    QListWidgetItem* line(const QString& name) const
    {
        return window->exportModules->findItems(name, Qt::MatchExactly).value(0);
    }

    // Selects the plug-in's line and starts the export; the save dialog answers `answer`.
    void exportThrough(const QString& name, std::optional<std::string> answer)
    {
        window->exportModules->setCurrentItem(line(name));
        dialogs.fileAnswers.push_back(std::move(answer));
        window->exportAction->trigger();
    }
};

TEST_F(ExportTest, ListsTheSuppliedPluginsAsFoundWithNothingSelected)
{
    startIn(realProgram);
    QStringList names = lines();
    names.sort();
    EXPECT_EQ(names, QStringList({"PHP", "Varnex"}));
    EXPECT_TRUE(window->exportModules->selectedItems().isEmpty());
    EXPECT_EQ(window->PluginList.value("VARNEX"), "Varnex.so");
    EXPECT_EQ(window->PluginList.value("php"), "php.so");
}

// Two lines of one name both run the file the search found later; "Key=Value" is listed but
// its entry's name ends at the "=", so it is never found.
TEST_F(ExportTest, LinesAreFoundByNameAsThePluginListFindsThem)
{
    startIn(testProgram);
    const std::vector<FoundPlugin> found = findPlugins(testProgram);
    const FoundPlugin later = *std::find_if(found.rbegin(), found.rend(), [](const FoundPlugin& p) {
        return p.exportName == "Twin" || p.exportName == "TWIN";
    });
    window->newFile->trigger();
    dialogs.takeShown();
    window->exportAction->trigger();
    for (const char* name : {"Twin", "TWIN"}) {
        takeTestPluginCalls(testProgram, later.fileName);
        exportThrough(name, folder.path("twin"));
        EXPECT_NE(takeTestPluginCalls(testProgram, later.fileName).find("Init;"), std::string::npos) << name;
    }
    exportThrough("Key=Value", std::nullopt);
    EXPECT_EQ(
        dialogs.takeShown(),
        (std::vector<std::string>{"info: Bitte ein Export-Modul auswählen", "save: Twin-Export",
                                  "save: Twin-Export", "info: Oops: Fehler beim Laden des Plugins... :("}));
}

TEST_F(ExportTest, DialogOffersThePluginsFileTypeAndProposesTheInfoBlocksNames)
{
    startIn(testProgram);
    open(example("shop_frontend_de.xml"));
    QAbstractItemModel* info = window->lpInfoblock->model();
    info->setData(info->index(rowProject, 1), QString::fromUtf8("Käse"));
    info->setData(info->index(rowLang, 1), "fr");
    const std::vector<FileDialogSettings> expected = {
        {"Recorder-Export", "Test-Dateien (*.rec)|*.rec|Alle Dateien (*.*)|*.*", "rec",
         "Käse_frontend_fr.rec"},
        {"Sparse-Export", "Text (*.txt)|*.txt|Alle Dateien (*.*)|*.*", "txt", "Käse_frontend_fr.txt"},
    };
    for (const FileDialogSettings& dialog : expected) {
        const QString name = QString::fromStdString(dialog.title).chopped(7);
        exportThrough(name, folder.path(name.toStdString()));
        EXPECT_EQ(dialogs.fileDialogs.back().title, dialog.title);
        EXPECT_EQ(dialogs.fileDialogs.back().filter, dialog.filter);
        EXPECT_EQ(dialogs.fileDialogs.back().defaultExt, dialog.defaultExt);
        EXPECT_EQ(dialogs.fileDialogs.back().fileName, dialog.fileName);
        EXPECT_EQ(TempDir::read(folder.path(name.toStdString() + "." + dialog.defaultExt)),
                  name.toStdString() + " 8\n");
    }
    EXPECT_EQ(window->pack.packProject, "K\xE4se");
    EXPECT_FALSE(window->pack.isModified);
    // Cancelled: after the questions of the dialog, nothing.
    takeTestPluginCalls(testProgram, "Recorder.so");
    exportThrough("Recorder", std::nullopt);
    EXPECT_EQ(takeTestPluginCalls(testProgram, "Recorder.so"), "Extension;Filter;Name;");
}

TEST_F(ExportTest, PluginErrorIsShownAndTheNextExportWorks)
{
    startIn(testProgram);
    window->newFile->trigger();
    dialogs.takeShown();
    exportThrough("Thrower", folder.path("fails"));
    EXPECT_EQ(dialogs.takeShown(),
              (std::vector<std::string>{"save: Thrower-Export", "error: Thrower: Export fehlgeschlagen"}));
    exportThrough("Recorder", folder.path("works"));
    EXPECT_EQ(TempDir::read(folder.path("works.rec")), "Recorder 0\n");
}

// The double click does not look at the action: without a pack the plug-in gets empty
// tables. The extension stays in the dialog that save as shares.
TEST_F(ExportTest, DoubleClickWithoutAPackExportsEmptyTablesAndSaveAsKeepsTheExtension)
{
    startIn(realProgram);
    window->show();
    window->pageControl->setCurrentWidget(window->TabSheet3);
    dialogs.fileAnswers.push_back(folder.path("empty"));
    QWidget* list = window->exportModules->viewport();
    const QPoint varnex = window->exportModules->visualItemRect(line("Varnex")).center();
    QTest::mouseClick(list, Qt::LeftButton, {}, varnex);
    QTest::mouseDClick(list, Qt::LeftButton, {}, varnex);
    EXPECT_EQ(dialogs.takeShown(), std::vector<std::string>{"save: Varnex-Export"});
    EXPECT_EQ(TempDir::read(folder.path("empty.po")).size(), 152 + folder.path("empty.po").size());

    window->newFile->trigger();
    dialogs.fileAnswers.push_back(std::nullopt);
    window->saveasAction->trigger();
    EXPECT_EQ(dialogs.fileDialogs.back().defaultExt, "po");
}

// Only the left button runs the export; a double click of another button on the selected
// line asks nothing and calls no plug-in.
TEST_F(ExportTest, OnlyALeftDoubleClickRunsTheExport)
{
    startIn(testProgram);
    window->show();
    window->pageControl->setCurrentWidget(window->TabSheet3);
    QWidget* list = window->exportModules->viewport();
    const QPoint recorder = window->exportModules->visualItemRect(line("Recorder")).center();
    QTest::mouseClick(list, Qt::LeftButton, {}, recorder);
    takeTestPluginCalls(testProgram, "Recorder.so");
    const std::pair<Qt::MouseButton, std::vector<std::string>> cases[] = {
        {Qt::RightButton, {}},
        {Qt::MiddleButton, {}},
        {Qt::LeftButton, {"save: Recorder-Export"}},
    };
    for (const auto& [button, shown] : cases) {
        if (!shown.empty())
            dialogs.fileAnswers.push_back(std::nullopt);
        QTest::mouseDClick(list, button, {}, recorder);
        EXPECT_EQ(dialogs.takeShown(), shown) << button;
        EXPECT_EQ(takeTestPluginCalls(testProgram, "Recorder.so"),
                  shown.empty() ? "" : "Extension;Filter;Name;")
            << button;
    }
}

// gettext and PHP read back the pack's texts after the flags' conversion, and korvel-cli
// writes the same bytes as the window.
TEST_F(ExportTest, ConsumersReadThePacksConvertedTextsAndKorvelCliWritesTheSameBytes)
{
    using namespace ExportConsumers;
    startIn(realProgram);
    open(example("shop_frontend_de.xml"));
    const LanguagePack& pack = window->pack;
    const std::string po = folder.path("de.po"), php = folder.path("de.php");
    exportThrough("Varnex", po);
    exportThrough("PHP", php);
    EXPECT_EQ(gettextReads(po, folder.path("de.mo")),
              convertedTexts(pack.ValueList, pack.HtmlList, pack.BreakList, pack.UnixList, false));
    EXPECT_EQ(run({"php", "-n", "-l", php}).status, 0);
    const auto texts = convertedTexts(pack.ValueList, pack.HtmlList, pack.BreakList, pack.UnixList, true);
    std::string dump;
    for (int i = 0; i < pack.ValueList.count(); ++i)
        dump += hex(pack.ValueList.nameAt(i)) + " " + hex(texts.at(pack.ValueList.nameAt(i))) + "\n";
    EXPECT_EQ(phpDump(php, folder.path("dump.php")).output, dump);

    for (const std::string& file : {po, php}) {
        const std::string windowBytes = TempDir::read(file);
        std::filesystem::remove(file);
        EXPECT_EQ(runCommand(shellQuote(KORVEL_CLI) + " export " +
                             shellQuote(folder.path("shop_frontend_de.xml")) + " --plugin " +
                             (file == po ? "varnex" : "PHP") + " --output " + shellQuote(file))
                      .exitCode,
                  0);
        EXPECT_EQ(TempDir::read(file), windowBytes) << file;
    }
}

} // namespace
