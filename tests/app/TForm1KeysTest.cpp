#include "WindowFixture.h"

#include "TKeyField.h"
#include "lpnewkey.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "TypeText.h"

namespace {

using Texts = std::vector<std::string>;

class KeysTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        window->pack.packFileName = "pack.xml";
        for (const char* key : {"alpha", "beta", "gamma", "delta", "epsilon"})
            window->pack.keys.add(key);
        window->pack.setRecord("beta", {"Text B", "Kommentar B", "1", "0", "1"});
        window->pack.setRecord("gamma", {"Text G", "", "0", "1", "0"});
        for (QAction* a : {window->newAction, window->dropAction, window->renameAction})
            a->setEnabled(true);
        window->show();
    }
    void showKey(const char* key)
    {
        window->lpKey->setItemIndex(window->pack.keys.indexOf(key));
        window->lpKeyChange();
    }
    // Opens a key-name dialog through its action, types the name and presses "Okay".
    void answer(QAction* opens, TNewKey* dialog, const char* name)
    {
        opens->trigger();
        EXPECT_EQ(dialog->windowTitle(), "Schlüssel anlegen");
        dialog->newkey->clear();
        typeText(dialog->newkey, QString::fromUtf8(name));
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
    }
    // The key list and every entry of the five tables.
    std::string document() const
    {
        const LanguagePack& p = window->pack;
        std::string all;
        for (const std::string& key : p.keys.items())
            all += key + ";";
        for (const THashedStringList* t :
             {&p.ValueList, &p.HtmlList, &p.BreakList, &p.UnixList, &p.CommentList})
            for (int i = 0; i < t->count(); ++i)
                all += "|" + t->nameAt(i) + "=" + t->valueAt(i);
        return all;
    }
};

TEST_F(KeysTest, AddingANewNameSelectsItWithEmptyControlsAndNoTableEntries)
{
    for (const char* name : {"beta "}) {
        showKey("beta");
        window->setStatusText("vorher");
        answer(window->newAction, window->newKeyDialog, name);
        EXPECT_EQ(window->lpKey->itemIndex(), window->pack.keys.indexOf(name));
        EXPECT_EQ(window->lpKey->text(), name);
        EXPECT_EQ(window->lpValue->toPlainText() + window->lpComment->toPlainText(), "");
        EXPECT_FALSE(window->htmlCheckbox->isChecked() || window->unixCheckBox->isChecked());
        // Unchecking the boxes of "beta" ran the flag rule; emptying the memos ran no rule.
        EXPECT_TRUE(window->submitAction->isEnabled());
        EXPECT_EQ(status(), "vorher");
        EXPECT_EQ(window->pack.record(name), KeyRecord{});
        EXPECT_TRUE(window->pack.isModified);
    }
    EXPECT_EQ(window->pack.keys.items(), (Texts{"alpha", "beta", "beta ", "delta", "epsilon", "gamma"}));
}

TEST_F(KeysTest, RenameMovesTextFromTheMemoWithCommentAndFlags)
{
    showKey("beta");
    window->lpValue->moveCursor(QTextCursor::End);
    window->lpValue->insertPlainText("!");
    answer(window->renameAction, window->renameKeyDialog, "zeta");
    EXPECT_EQ(window->pack.keys.items(), (Texts{"alpha", "delta", "epsilon", "gamma", "zeta"}));
    EXPECT_EQ(window->lpKey->text(), "zeta");
    EXPECT_EQ(window->pack.record("zeta"), (KeyRecord{"Text B!", "Kommentar B", "1", "0", "1"}));
    EXPECT_EQ(window->pack.record("beta"), KeyRecord{});
    EXPECT_EQ(status(), "Key/Value geändert (pack.xml nicht gespeichert)");
    EXPECT_TRUE(window->saveAction->isEnabled() && window->submitAction->isEnabled());
}

// Nothing edited, nothing else enables saving: the rename itself does, with or without a text.
TEST_F(KeysTest, RenameEnablesSavingWhenNothingWasEdited)
{
    for (const auto& [key, name] : {std::pair{"beta", "zeta"}, {"alpha", "omega"}}) {
        showKey(key);
        window->saveAction->setEnabled(false);
        window->saveasAction->setEnabled(false);
        ASSERT_FALSE(window->submitAction->isEnabled()) << key;
        answer(window->renameAction, window->renameKeyDialog, name);
        EXPECT_EQ(window->lpKey->text(), name);
        EXPECT_TRUE(window->saveAction->isEnabled()) << key;
        EXPECT_TRUE(window->saveasAction->isEnabled()) << key;
        EXPECT_TRUE(window->pack.isModified) << key;
    }
}

TEST_F(KeysTest, RefusedNamesChangeNothing)
{
    const std::tuple<QAction*, TNewKey*, const char*, const char*> cases[] = {
        {window->newAction, window->newKeyDialog, "GAMMA", "Schlüssel bereits vorhanden!"},
        {window->newAction, window->newKeyDialog, "", "Ein Schlüssel braucht einen Namen."},
        {window->newAction, window->newKeyDialog, "a=b", "Ein Schlüssel darf kein \"=\" enthalten."},
        {window->renameAction, window->renameKeyDialog, "", "Ein Schlüssel braucht einen Namen."},
        {window->renameAction, window->renameKeyDialog, "Gamma", "Schlüssel bereits vorhanden!"},
        {window->renameAction, window->renameKeyDialog, "a=b", "Ein Schlüssel darf kein \"=\" enthalten."},
    };
    const std::string before = document();
    for (const auto& [opens, dialog, name, message] : cases) {
        showKey("beta");
        answer(opens, dialog, name);
        EXPECT_EQ(dialogs.takeShown(), Texts{std::string("info: ") + message}) << name;
        EXPECT_EQ(document(), before) << name;
        EXPECT_FALSE(window->pack.isModified) << name;
    }
    // A refused add shows the key of that name; a rename of the letter case only goes ahead.
    answer(window->newAction, window->newKeyDialog, "Gamma");
    EXPECT_EQ(window->lpKey->text(), "gamma");
    EXPECT_EQ(window->lpValue->toPlainText(), "Text G");
    answer(window->renameAction, window->renameKeyDialog, "GAMMA");
    EXPECT_EQ(window->pack.keys.at(window->pack.keys.indexOf("gamma")), "GAMMA");
}

TEST_F(KeysTest, RemovingDeletesEveryEntryAndSelectsTheOneBefore)
{
    const std::pair<const char*, const char*> cases[] = {
        {"delta", "beta"}, // the third of five selects the second
        {"alpha", "beta"}, // the first selects the new first
        {nullptr, "beta"}, // nothing selected: no entry goes, the first is selected
    };
    for (const auto& [removed, next] : cases) {
        window->lpKey->setItemIndex(removed ? window->pack.keys.indexOf(removed) : -1);
        window->dropAction->trigger();
        EXPECT_EQ(window->lpKey->text(), next);
    }
    window->dropAction->trigger();
    EXPECT_EQ(window->pack.keys.items(), (Texts{"epsilon", "gamma"}));
    EXPECT_EQ(window->pack.record("beta"), KeyRecord{});
    EXPECT_EQ(status(), "Übersetzung geladen (pack.xml)");
    EXPECT_TRUE(window->pack.isModified);
}

} // namespace
