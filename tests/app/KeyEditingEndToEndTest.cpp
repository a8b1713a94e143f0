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
        const ProcessResult result = runCommand(shellQuote(KORVEL_CLI) + " dump " + shellQuote(path));
        EXPECT_EQ(result.exitCode, 0);
        return Json::parse(result.out);
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
        typeText(dialog->newkey, name);
        QTest::keyClick(dialog->newkey, Qt::Key_Return);
    }
    static Json::iterator keyIn(Json& file, const char* id)
    {
        auto& keys = file["keys"];
        return std::find_if(keys.begin(), keys.end(), [id](const Json& k) { return k["id"] == id; });
    }
};

TEST_F(KeyEditingEndToEndTest, AddRenameRemoveSaveThenSearchAndPick)
{
    window->show();
    const std::string path = example("shop_frontend_de.xml");
    Json expected = dump(path);
    open(path);

    answer(window->newAction, window->newKeyDialog, "checkout.hint");
    typeText(window->lpValue, QString::fromUtf8("Bitte prüfen"));
    typeText(window->lpComment, "Neu");
    QTest::mouseClick(window->findChild<QPushButton*>("submitActionButton"), Qt::LeftButton);
    pickKey("greeting");
    answer(window->renameAction, window->renameKeyDialog, "welcome");
    pickKey("cart.empty");
    window->dropAction->trigger();
    window->saveAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), std::vector<std::string>{"open: Languagepack laden"});

    expected["keys"].erase(keyIn(expected, "cart.empty"));
    const auto greeting = keyIn(expected, "greeting");
    Json welcome = *greeting;
    welcome["id"] = "welcome";
    expected["keys"].erase(greeting);
    expected["keys"].push_back(welcome);
    expected["keys"].insert(keyIn(expected, "checkout.terms"), Json{{"id", "checkout.hint"},
                                                                    {"value", "Bitte prüfen"},
                                                                    {"comment", "Neu"},
                                                                    {"encodeHTML", "0"},
                                                                    {"preserveLinebreaks", "0"},
                                                                    {"unixNewline", "0"}});
    expected["info"]["version"] = "1.4.3";
    expected["info"]["date"] = "2026-12-07 09:05";
    EXPECT_EQ(dump(path), expected);

    typeText(window->suchbegriff, QString::fromUtf8("GRÖ"));
    const QAbstractItemModel* results = window->ergenbisse->model();
    ASSERT_EQ(results->rowCount(), 1);
    const QRect line = window->ergenbisse->visualRect(results->index(0, 0));
    QTest::mouseClick(window->ergenbisse->viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_EQ(window->lpKey->text(), "product.size");
    EXPECT_EQ(window->lpValue->toPlainText(), "Größe <XL>");
}

} // namespace
