#include "LifecycleFixture.h"

#include "Process.h"
#include "Windows1252.h"

#include <QTest>

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::json;

class LifecycleEndToEndTest : public LifecycleFixture
{
protected:
    // The file as korvel-cli reads it.
    Json dump(const std::string& path) const
    {
        const ProcessResult result = runCommand(shellQuote(KORVEL_CLI) + " dump " + shellQuote(path));
        EXPECT_EQ(result.exitCode, 0);
        return Json::parse(result.out);
    }

    // What the window holds, in the form korvel-cli prints.
    static Json packAsJson(const LanguagePack& pack)
    {
        using Windows1252::toUtf8;
        Json keys = Json::array();
        for (const std::string& key : pack.keys.items()) {
            const KeyRecord r = pack.record(key);
            keys.push_back({{"id", toUtf8(key)},
                            {"value", toUtf8(r.text)},
                            {"comment", toUtf8(r.comment)},
                            {"encodeHTML", toUtf8(r.htmlFlag)},
                            {"preserveLinebreaks", toUtf8(r.breakFlag)},
                            {"unixNewline", toUtf8(r.unixFlag)}});
        }
        return {{"info",
                 {{"project", toUtf8(pack.packProject)},
                  {"name", toUtf8(pack.packName)},
                  {"lang", toUtf8(pack.packLang)},
                  {"version", toUtf8(pack.packVersion)},
                  {"date", toUtf8(pack.packDate)}}},
                {"keys", keys}};
    }

    void pickKey(const char* key)
    {
        window->lpKey->lineEdit()->clear();
        typeText(window->lpKey->lineEdit(), key);
    }
};

TEST_F(LifecycleEndToEndTest, EditedPackSavedTwiceReadsBackAsEdited)
{
    window->show();
    const std::string path = example("shop_frontend_de.xml");
    open(path);
    pickKey("greeting");
    window->lpValue->selectAll();
    typeText(window->lpValue, QString::fromUtf8("Grüß Gott,\nwillkommen € “hier”!"));
    window->lpComment->selectAll();
    typeText(window->lpComment, QString::fromUtf8("Startseite, zweizeilig"));
    QTest::mouseClick(window->htmlCheckbox, Qt::LeftButton);
    QTest::mouseClick(window->unixCheckBox, Qt::LeftButton);
    // Not taken over by hand: saving takes the shown key's edits over.
    window->saveAction->trigger();
    EXPECT_EQ(status(), "Gespeichert: shop_frontend_de.xml");
    EXPECT_FALSE(window->saveAction->isEnabled());
    pickKey("cart.empty");
    typeText(window->lpValue, " Noch.");
    window->saveAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), std::vector<std::string>{"open: Languagepack laden"});

    const Json file = dump(path);
    EXPECT_EQ(file["info"]["version"], "1.4.4");
    EXPECT_EQ(file["info"]["date"], "2026-12-07 09:05");
    EXPECT_EQ(file["info"]["project"], "shop");
    const Json* greeting = nullptr;
    for (const Json& key : file["keys"])
        if (key["id"] == "greeting")
            greeting = &key;
    ASSERT_NE(greeting, nullptr);
    EXPECT_EQ((*greeting)["value"], "Grüß Gott,\r\nwillkommen € “hier”!");
    EXPECT_EQ((*greeting)["comment"], "Startseite, zweizeilig");
    EXPECT_EQ((*greeting)["encodeHTML"], "1");
    EXPECT_EQ((*greeting)["preserveLinebreaks"], "0");
    EXPECT_EQ((*greeting)["unixNewline"], "1");
    // Everything else is as the window holds it.
    EXPECT_EQ(file, packAsJson(window->pack));
}

TEST_F(LifecycleEndToEndTest, NewPackSavedUnderTheProposedNameOpensAgain)
{
    window->newFile->trigger();
    for (const char* key : {"title", "intro"})
        window->pack.keys.add(key);
    pickKey("intro");
    typeText(window->lpValue, "Willkommen");
    window->submitAction->trigger();

    dialogs.fileAnswers = {folder.path("Unnamed_Package_Lang")};
    dialogs.fileAnswers.front()->append(".xml");
    window->saveAction->trigger();
    EXPECT_EQ(dialogs.fileDialogs.back().fileName, "Unnamed_Package_Lang.xml");
    window->closeAction->trigger();

    open(folder.path("Unnamed_Package_Lang.xml"));
    EXPECT_EQ(status(), "Languagepack geladen: Unnamed_Package_Lang.xml");
    EXPECT_EQ(window->pack.keys.items(), std::vector<std::string>({"intro", "title"}));
    EXPECT_EQ(window->lpValue->toPlainText(), "Willkommen");
    EXPECT_EQ(infoCell(rowProject), "Unnamed");
    EXPECT_EQ(infoCell(rowVersion), "1.0.0");
    EXPECT_EQ(infoCell(rowDate), "2026-12-07 09:05");
    const Json file = dump(folder.path("Unnamed_Package_Lang.xml"));
    EXPECT_EQ(file["keys"][1]["encodeHTML"], "");
    EXPECT_EQ(file["keys"][0]["encodeHTML"], "0");
}

} // namespace
