// The user's work is never lost or overwritten unasked: a file another program changed, texts
// whose characters the reading replaced, and edits that only the controls or the info block
// hold.
#include "LifecycleFixture.h"

#include "Windows1252.h"

#include <QLineEdit>
#include <QListWidget>

#include <filesystem>
#include <utime.h>

namespace {

using Answer = UserDialogs::Answer;
using Shown = std::vector<std::string>;

const char* const question = "warning: Languagepack nicht gespeichert! Jetzt speichern?";
const char* const changedByOthers =
    "confirm: Die Datei wurde von einem anderen Programm geändert. Trotzdem speichern?";

// A text as the pack file holds it: its UTF-8 bytes, each taken as one Windows-1252 character.
std::string doubled(const std::string& utf8)
{
    return Windows1252::toUtf8(utf8);
}

std::string packWithKeys(const std::vector<std::pair<std::string, std::string>>& keys,
                         const std::string& project = "p")
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><languagepack project=\"" + project +
                      "\" name=\"n\" lang=\"de\" version=\"1.0.0\" date=\"\"><info/><content>";
    for (const auto& [id, value] : keys)
        xml += "<key id=\"" + id + "\" encodeHTML=\"0\" preserveLinebreaks=\"0\" unixNewline=\"0\"><value>" +
               doubled(value) + "</value><comment/></key>";
    return xml + "</content></languagepack>";
}

class UnsavedWorkTest : public LifecycleFixture
{
protected:
    std::string openChanged()
    {
        const std::string path = example("shop_frontend_de.xml");
        open(path);
        typeInto(window->lpValue, "!");
        window->submitAction->trigger();
        dialogs.takeShown();
        return path;
    }
    static void setModified(const std::string& path, std::time_t when)
    {
        const utimbuf times{when, when};
        ASSERT_EQ(::utime(path.c_str(), &times), 0);
    }
};

TEST_F(UnsavedWorkTest, SaveInPlaceAsksBeforeOverwritingAnotherProgramsChange)
{
    struct Case
    {
        const char* name;
        std::function<void(const std::string&)> meanwhile;
        std::optional<bool> answer; // nullopt: no question
        bool written;
    };
    const std::string otherContent = packWithKeys({{"fremd", "von git"}});
    const Case cases[] = {
        {"nothing happened", [](const std::string&) {}, std::nullopt, true},
        {"touched, same content", [](const std::string& p) { setModified(p, 1'000'000'000); }, std::nullopt,
         true},
        {"replaced, same content",
         [](const std::string& p) {
             const std::string bytes = TempDir::read(p);
             std::filesystem::remove(p);
             std::ofstream(p, std::ios::binary) << bytes;
         },
         std::nullopt, true},
        {"deleted", [](const std::string& p) { std::filesystem::remove(p); }, std::nullopt, true},
        {"changed, Ja", [&](const std::string& p) { std::ofstream(p, std::ios::binary) << otherContent; },
         true, true},
        {"changed, Nein", [&](const std::string& p) { std::ofstream(p, std::ios::binary) << otherContent; },
         false, false},
        {"changed at the same size and time, Nein",
         [&](const std::string& p) {
             struct stat before
             {
             };
             ::stat(p.c_str(), &before);
             std::string bytes = TempDir::read(p);
             bytes[bytes.find("Warenkorb")] = 'w';
             std::ofstream(p, std::ios::binary | std::ios::in) << bytes;
             setModified(p, before.st_mtime);
         },
         false, false},
    };
    for (const Case& c : cases) {
        const std::string path = openChanged();
        c.meanwhile(path);
        const std::string before = std::filesystem::exists(path) ? TempDir::read(path) : "";
        if (c.answer)
            dialogs.confirmationAnswers.push_back(*c.answer);
        window->saveAction->trigger();
        EXPECT_EQ(dialogs.takeShown(), c.answer ? Shown{changedByOthers} : Shown{}) << c.name;
        const std::string after = TempDir::read(path);
        EXPECT_EQ(after != before, c.written) << c.name;
        EXPECT_EQ(window->pack.isSaved, c.written) << c.name;
        // "Nein" raises no version and keeps the edit that was taken over.
        EXPECT_EQ(window->pack.packVersion, c.written ? "1.4.3" : "1.4.2") << c.name;
        EXPECT_EQ(window->pack.ValueList.value("cart.empty"), "Ihr Warenkorb ist leer.!") << c.name;
        if (c.written) {
            // What this save wrote is what the next one compares against.
            window->saveAction->trigger();
            EXPECT_EQ(dialogs.takeShown(), Shown{}) << c.name;
        }
        dialogs.warningAnswers = {Answer::Nein};
        window->closeAction->trigger();
        dialogs.takeShown();
    }
}

TEST_F(UnsavedWorkTest, AJaToTheQuestionAsksAboutAnotherProgramsChangeToo)
{
    const std::string path = openChanged();
    std::ofstream(path, std::ios::binary) << packWithKeys({{"fremd", "von git"}});
    dialogs.warningAnswers = {Answer::Ja};
    dialogs.confirmationAnswers = {false};
    window->closeAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown({question, changedByOthers}));
    // The save wrote nothing, so close stopped and the change is still there.
    EXPECT_TRUE(window->pack.hasRootElement());
    EXPECT_EQ(window->pack.ValueList.value("cart.empty"), "Ihr Warenkorb ist leer.!");
    EXPECT_NE(TempDir::read(path).find("fremd"), std::string::npos);
}

TEST_F(UnsavedWorkTest, OpenNamesTheKeysWhoseCharactersWereReplacedAndSaveGoesToSaveAs)
{
    const std::string fewer = folder.write(
        "pl.xml", packWithKeys({{"gruss", "Cześć — Привет"}, {"ok", "Grüße „gut“ – 5 €"}, {"tschuess", "Pa"}},
                               "Projekt ś"));
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < 12; ++i)
        many.emplace_back("k" + std::to_string(10 + i), "ś");
    const std::string more = folder.write("many.xml", packWithKeys(many));
    const std::pair<std::string, std::string> cases[] = {
        {fewer, "Projekt, gruss"},
        {more, "k10, k11, k12, k13, k14, k15, k16, k17, k18, k19 und 2 weitere"},
    };
    for (const auto& [path, names] : cases) {
        open(path);
        EXPECT_EQ(
            dialogs.takeShown(),
            Shown({"open: Languagepack laden",
                   "info: Beim Lesen wurden Zeichen ersetzt, die es in Windows-1252 nicht gibt: " + names +
                       ".\n„Speichern“ fragt deshalb nach dem Dateinamen, damit die Datei nicht mit den "
                       "ersetzten Texten überschrieben wird."}));
    }
    open(fewer);
    dialogs.takeShown();
    EXPECT_EQ(window->pack.ValueList.value("gruss"), "Czesc \x97 ??????");
    const std::string original = TempDir::read(fewer);
    dialogs.fileAnswers.push_back(std::nullopt);
    window->saveAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown{"save: Speichern als..."});
    EXPECT_EQ(TempDir::read(fewer), original);
    // Replacing the file takes the user's choice and a confirmation.
    dialogs.fileAnswers.push_back(fewer);
    dialogs.confirmationAnswers = {true};
    window->saveAction->trigger();
    EXPECT_EQ(dialogs.takeShown().size(), 2u);
    EXPECT_NE(TempDir::read(fewer), original);
}

TEST_F(UnsavedWorkTest, EditsOnlyTheControlsHoldAreUnsavedChanges)
{
    const std::pair<const char*, std::function<void()>> edits[] = {
        {"info-block edit copied by an export whose dialog was cancelled",
         [this] {
             window->lpInfoblock->model()->setData(window->lpInfoblock->model()->index(rowName, 1), "neu");
             window->exportModules->setCurrentRow(0);
             dialogs.fileAnswers.push_back(std::nullopt);
             window->exportAction->trigger();
         }},
        {"flag toggled and kept by Verwerfen",
         [this] {
             window->htmlCheckbox->toggle();
             window->resetAction->trigger();
         }},
    };
    window = std::make_unique<TForm1>(dialogs, QString(KORVEL_BIN_DIR));
    ASSERT_GT(window->exportModules->count(), 0);
    const std::string path = example("shop_frontend_de.xml");
    for (const auto& [name, edit] : edits) {
        open(path);
        edit();
        dialogs.takeShown();
        EXPECT_FALSE(window->submitAction->isEnabled()) << name;
        dialogs.warningAnswers = {Answer::Abbrechen};
        window->closeAction->trigger();
        EXPECT_EQ(dialogs.takeShown(), Shown{question}) << name;
        EXPECT_TRUE(window->pack.hasRootElement()) << name;
        // The save of a "Ja" writes the edit, and then nothing is left to ask about.
        dialogs.warningAnswers = {Answer::Ja};
        window->closeAction->trigger();
        EXPECT_EQ(dialogs.takeShown(), Shown{question}) << name;
        EXPECT_FALSE(window->pack.hasRootElement()) << name;
    }
    open(path);
    EXPECT_EQ(infoCell(rowName), "neu");
    EXPECT_EQ(window->pack.HtmlList.value("cart.empty"), "1");
}

TEST_F(UnsavedWorkTest, TakeOverRefusesAKeyNameWithAnEqualsSign)
{
    open(example("shop_frontend_de.xml"));
    window->lpKey->lineEdit()->setText("greeting=x");
    typeInto(window->lpValue, "neu");
    dialogs.takeShown();
    window->submitAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown{"error: Ein Schlüssel darf kein \"=\" enthalten."});
    EXPECT_EQ(window->pack.ValueList.value("greeting"), "Gr\xFC\xDF Gott!");
    EXPECT_FALSE(window->pack.isModified);
}

} // namespace
