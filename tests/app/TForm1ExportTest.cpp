#include "LifecycleFixture.h"

#include "ExportConsumers.h"
#include "ExportHost.h"
#include "Process.h"
#include "TestPlugins.h"
#include "Windows1252.h"

#include <QListWidget>
#include <QTest>

#include <algorithm>
#include <optional>

namespace {

const std::string realProgram = KORVEL_BIN_DIR;
const std::string testProgram = KORVEL_TEST_PROGRAM_DIR;

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// The window of a program in `programFolder`, whose Plugins folder it searches at start-up.
class ExportTest : public LifecycleFixture
{
protected:
    void startIn(const std::string& programFolder)
    {
        window = std::make_unique<TForm1>(dialogs, qt(programFolder));
        window->pack.clock = [] { return LocalDateTime{2026, 12, 7, 9, 5}; };
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
        const QList<QListWidgetItem*> found = window->exportModules->findItems(name, Qt::MatchExactly);
        EXPECT_FALSE(found.isEmpty()) << name.toStdString();
        return found.isEmpty() ? nullptr : found.first();
    }

    // Selects the plug-in's line and starts the export; the save dialog answers `answer`.
    void exportThrough(const QString& name, std::optional<std::string> answer)
    {
        window->exportModules->setCurrentItem(line(name));
        dialogs.fileAnswers.push_back(std::move(answer));
        window->exportAction->trigger();
    }

    void setInfoCell(int row, const QString& text)
    {
        window->lpInfoblock->model()->setData(window->lpInfoblock->model()->index(row, 1), text);
    }
};

TEST_F(ExportTest, ListsTheSuppliedPluginsUnsortedWithNothingSelected)
{
    startIn(realProgram);
    QStringList searched;
    for (const FoundPlugin& plugin : findPlugins(realProgram))
        searched << qt(plugin.exportName);
    EXPECT_EQ(lines(), searched);
    QStringList names = lines();
    names.sort();
    EXPECT_EQ(names, QStringList({"PHP", "Varnex"}));
    EXPECT_TRUE(window->exportModules->selectedItems().isEmpty());
    EXPECT_EQ(window->PluginList.value("VARNEX"), "Varnex.so");
    EXPECT_EQ(window->PluginList.value("php"), "php.so");
}

// Both lines of one name (in any case) run the plug-in whose file the search found later.
TEST_F(ExportTest, TwoPluginsOfOneNameGiveTwoLinesThatBothRunTheLaterFile)
{
    startIn(testProgram);
    const std::vector<FoundPlugin> found = findPlugins(testProgram);
    const auto at = [&](const char* file) {
        return std::find_if(found.begin(), found.end(),
                            [&](const FoundPlugin& p) { return p.fileName == file; });
    };
    const bool aIsLater = at("TwinA.so") > at("TwinB.so");
    const std::string later = aIsLater ? "TwinA.so" : "TwinB.so";
    const std::string earlier = aIsLater ? "TwinB.so" : "TwinA.so";
    EXPECT_EQ(lines().count("Twin") + lines().count("TWIN"), 2);
    EXPECT_EQ(window->PluginList.value("twin"), later);

    window->newFile->trigger();
    for (const char* name : {"Twin", "TWIN"}) {
        takeTestPluginCalls(testProgram, later);
        takeTestPluginCalls(testProgram, earlier);
        exportThrough(name, folder.path("twin"));
        EXPECT_NE(takeTestPluginCalls(testProgram, later).find("Init;"), std::string::npos) << name;
        EXPECT_EQ(takeTestPluginCalls(testProgram, earlier), "") << name;
    }
}

TEST_F(ExportTest, NoSelectionOrANameThatCannotBeFoundEndsWithAMessage)
{
    startIn(testProgram);
    window->newFile->trigger();
    dialogs.takeShown();
    window->exportAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), std::vector<std::string>{"info: Bitte ein Export-Modul auswählen"});
    // The entry's name ends at the first "=", so "Key=Value" is listed but never found.
    exportThrough("Key=Value", folder.path("never"));
    EXPECT_EQ(dialogs.takeShown(),
              std::vector<std::string>{"info: Oops: Fehler beim Laden des Plugins... :("});
    EXPECT_FALSE(std::filesystem::exists(folder.path("never.rec")));
}

TEST_F(ExportTest, DialogOffersThePluginsFileTypeAndProposesTheInfoBlocksNames)
{
    struct Row
    {
        const char* name;
        const char* title;
        const char* extension;
        const char* filter;
        const char* questions; // asked before Export_Init
        const char* setters;
    };
    const Row rows[] = {
        {"Recorder", "Recorder-Export", "rec", "Test-Dateien (*.rec)|*.rec|Alle Dateien (*.*)|*.*",
         "Extension;Filter;Name;", "HTML 8;Breaks 8;Linebreaks 8;"},
        {"Sparse", "Sparse-Export", "txt", "Text (*.txt)|*.txt|Alle Dateien (*.*)|*.*", "Name;", ""},
    };
    startIn(testProgram);
    open(example("shop_frontend_de.xml"));
    ASSERT_EQ(window->pack.ValueList.count(), 8);
    // Edits of the info block count, and taking them over changes nothing else.
    setInfoCell(rowProject, QString::fromUtf8("Käse"));
    setInfoCell(rowLang, "fr");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = std::string(row.name) + "." + row.extension;
        takeTestPluginCalls(testProgram, std::string(row.name) + ".so");
        exportThrough(row.name, folder.path(row.name));
        ASSERT_FALSE(dialogs.fileDialogs.empty());
        const FileDialogSettings& shown = dialogs.fileDialogs.back();
        EXPECT_EQ(shown.title, row.title);
        EXPECT_EQ(shown.defaultExt, row.extension);
        EXPECT_EQ(shown.filter, row.filter);
        EXPECT_EQ(shown.fileName, std::string("Käse_frontend_fr.") + row.extension);
        EXPECT_EQ(takeTestPluginCalls(testProgram, std::string(row.name) + ".so"),
                  std::string(row.questions) + "Init;Keys 8;" + row.setters + "FileName " +
                      folder.path(file) + ";Start;Free;");
        EXPECT_EQ(TempDir::read(folder.path(file)), std::string(row.name) + " 8\n");
    }
    EXPECT_EQ(window->pack.packProject, "K\xE4se");
    EXPECT_EQ(window->pack.packLang, "fr");
    EXPECT_TRUE(window->pack.isSaved);
    EXPECT_FALSE(window->pack.isModified);
    EXPECT_EQ(dialogs.takeShown(),
              (std::vector<std::string>{"open: Languagepack laden", "save: Recorder-Export",
                                        "save: Sparse-Export"}));
}

TEST_F(ExportTest, CancelledDialogCallsNoFunctionAfterTheQuestions)
{
    startIn(testProgram);
    window->newFile->trigger();
    takeTestPluginCalls(testProgram, "Recorder.so");
    exportThrough("Recorder", std::nullopt);
    EXPECT_EQ(takeTestPluginCalls(testProgram, "Recorder.so"), "Extension;Filter;Name;");
    EXPECT_TRUE(std::filesystem::is_empty(folder.root));
}

TEST_F(ExportTest, PluginErrorIsShownAfterItsModuleWasFreedAndTheNextExportWorks)
{
    startIn(testProgram);
    window->newFile->trigger();
    dialogs.takeShown();
    takeTestPluginCalls(testProgram, "Thrower.so");
    exportThrough("Thrower", folder.path("fails"));
    EXPECT_EQ(dialogs.takeShown(),
              (std::vector<std::string>{"save: Thrower-Export", "error: Thrower: Export fehlgeschlagen"}));
    const std::string calls = takeTestPluginCalls(testProgram, "Thrower.so");
    EXPECT_TRUE(calls.ends_with(";Start;Free;")) << calls;
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
    ASSERT_FALSE(window->exportAction->isEnabled());
    dialogs.fileAnswers.push_back(folder.path("empty"));
    QListWidget* list = window->exportModules;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(line("Varnex")).center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(line("Varnex")).center());
    const std::string file = folder.path("empty.po");
    EXPECT_EQ(TempDir::read(file).size(), 156 + file.size());

    window->newFile->trigger();
    dialogs.fileAnswers.push_back(std::nullopt);
    window->saveasAction->trigger();
    EXPECT_EQ(dialogs.fileDialogs.back().title, "Speichern als...");
    EXPECT_EQ(dialogs.fileDialogs.back().defaultExt, "po");
}

// Through the window into the real consumers: gettext and PHP read back the pack's texts
// after the flags' conversion, and korvel-cli writes the same bytes as the window.
TEST_F(ExportTest, ConsumersReadThePacksConvertedTextsAndKorvelCliWritesTheSameBytes)
{
    using namespace ExportConsumers;
    startIn(realProgram);
    for (const char* example : {"shop_frontend_de.xml", "newsletter_mail_fr.xml"}) {
        SCOPED_TRACE(example);
        open(this->example(example));
        const LanguagePack& pack = window->pack;
        const std::string po = folder.path("export.po");
        const std::string php = folder.path("export.php");
        exportThrough("Varnex", po);
        exportThrough("PHP", php);

        const auto expectedPo =
            convertedTexts(pack.ValueList, pack.HtmlList, pack.BreakList, pack.UnixList, false);
        EXPECT_EQ(gettextReads(po, folder.path("export.mo")), expectedPo);
        EXPECT_EQ(run({"php", "-n", "-l", php}).status, 0);
        const auto expectedPhp =
            convertedTexts(pack.ValueList, pack.HtmlList, pack.BreakList, pack.UnixList, true);
        std::string expectedDump;
        for (int i = 0; i < pack.ValueList.count(); ++i)
            expectedDump +=
                hex(pack.ValueList.nameAt(i)) + " " + hex(expectedPhp.at(pack.ValueList.nameAt(i))) + "\n";
        EXPECT_EQ(phpDump(php, folder.path("dump.php")).output, expectedDump);

        for (const auto& [plugin, file] : {std::pair{"varnex", po}, std::pair{"PHP", php}}) {
            const std::string windowBytes = TempDir::read(file);
            std::filesystem::remove(file);
            const ProcessResult cli =
                runCommand(shellQuote(KORVEL_CLI) + " export " + shellQuote(folder.path(example)) +
                           " --plugin " + plugin + " --output " + shellQuote(file));
            EXPECT_EQ(cli.exitCode, 0);
            EXPECT_EQ(TempDir::read(file), windowBytes) << plugin;
        }
    }
}

} // namespace
