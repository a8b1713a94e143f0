#include "LifecycleFixture.h"

#include "Process.h"
#include "SearchResultList.h"
#include "lpnewkey.h"

#include <QPushButton>
#include <QTest>

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::json;

class KeyEditingEndToEndTest : public LifecycleFixture
{
protected:
    Json dump(const std::string& path) const
    {
        return Json::parse(runCommand(shellQuote(KORVEL_CLI) + " dump " + shellQuote(path)).out);
    }
    void pickKey(const char* key)
    {
        window->lpKey->lineEdit()->clear();
        typeText(window->lpKey->lineEdit(), key);
    }
    void answer(QAction* opens, TNewKey* dialog, const char* name)
    {
        opens->trigger();
        dialog->newkey->clear();
        typeText(dialog->newkey, QString::fromUtf8(name));
        QTest::keyClick(dialog->newkey, Qt::Key_Return);
    }
    void click(const char* button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    static Json::iterator keyIn(Json& file, const char* id)
    {
        return std::find_if(file["keys"].begin(), file["keys"].end(),
                            [id](const Json& k) { return k["id"] == id; });
    }
};

TEST_F(KeyEditingEndToEndTest, AddRenameRemoveSaveThenSearchPickAndCheck)
{
    window->show();
    const std::string path = example("shop_frontend_de.xml");
    Json expected = dump(path);
    open(path);
    answer(window->newAction, window->newKeyDialog, "checkout.prüfung");
    typeText(window->lpValue, QString::fromUtf8("Bitte prüfen"));
    typeText(window->lpComment, "Neu");
    click("submitActionButton");
    pickKey("greeting");
    answer(window->renameAction, window->renameKeyDialog, "welcome");
    pickKey("cart.empty");
    window->dropAction->trigger();
    window->saveAction->trigger();

    // The file is the one opened, with these three changes and the raised version.
    expected["keys"].erase(keyIn(expected, "cart.empty"));
    Json welcome = *keyIn(expected, "greeting");
    welcome["id"] = "welcome";
    expected["keys"].erase(keyIn(expected, "greeting"));
    expected["keys"].push_back(welcome);
    expected["keys"].insert(keyIn(expected, "checkout.terms"), Json{{"id", "checkout.prüfung"},
                                                                    {"value", "Bitte prüfen"},
                                                                    {"comment", "Neu"},
                                                                    {"encodeHTML", "0"},
                                                                    {"preserveLinebreaks", "0"},
                                                                    {"unixNewline", "0"}});
    expected["info"]["version"] = "1.4.3";
    expected["info"]["date"] = "2026-12-07 09:05";
    EXPECT_EQ(dump(path), expected);

    typeText(window->suchbegriff, QString::fromUtf8("GRÖ"));
    ASSERT_EQ(window->ergenbisse->model()->rowCount(), 1);
    const QRect line = window->ergenbisse->visualRect(window->ergenbisse->model()->index(0, 0));
    QTest::mouseClick(window->ergenbisse->viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_EQ(window->lpKey->text(), "product.size");
    EXPECT_EQ(window->lpValue->toPlainText(), "Größe <XL>");

    click("doppelCheckButton");
    click("syntaxCheckButton");
    EXPECT_EQ(dialogs.takeShown(),
              (std::vector<std::string>{"open: Languagepack laden", "info: Doppel-Check bestanden",
                                        "info: Syntax-Check nicht bestanden: checkout.prüfung"}));
    EXPECT_EQ(status(), "Übersetzung geladen (shop_frontend_de.xml)");
}

} // namespace
