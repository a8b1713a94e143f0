#include "WindowFixture.h"

#include "TKeyField.h"
#include "lpnewkey.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "TypeText.h"

namespace {

using Keys = std::vector<std::string>;

class KeysTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        LanguagePack& pack = window->pack;
        pack.packFileName = "pack.xml";
        for (const char* key : {"alpha", "beta", "gamma", "delta", "epsilon"})
            pack.keys.add(key);
        pack.setRecord("beta", {"Text B", "Kommentar B", "1", "0", "1"});
        pack.setRecord("gamma", {"Text G", "", "0", "1", "0"});
        window->lpKey->keysReset();
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
    void answer(QAction* opens, TNewKey* dialog, const std::string& name)
    {
        opens->trigger();
        ASSERT_TRUE(dialog->isVisible());
        dialog->newkey->clear();
        typeText(dialog->newkey, QString::fromUtf8(name.c_str()));
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
    }
    void addKey(const std::string& name) { answer(window->newAction, window->newKeyDialog, name); }
    void renameTo(const std::string& name) { answer(window->renameAction, window->renameKeyDialog, name); }

    // The key list and every entry of the five tables, to see that nothing changed.
    std::string document() const
    {
        const LanguagePack& pack = window->pack;
        std::string all;
        for (const std::string& key : pack.keys.items())
            all += key + ";";
        for (const THashedStringList* table :
             {&pack.ValueList, &pack.HtmlList, &pack.BreakList, &pack.UnixList, &pack.CommentList}) {
            all += "|";
            for (int i = 0; i < table->count(); ++i)
                all += table->nameAt(i) + "=" + table->valueAt(i) + ";";
        }
        return all;
    }
    void typeInto(QPlainTextEdit* memo, const QString& text)
    {
        memo->moveCursor(QTextCursor::End);
        typeText(memo, text);
    }
    Keys keys() const { return window->pack.keys.items(); }
    std::string selected() const
    {
        const int row = window->lpKey->itemIndex();
        return row < 0 ? "(none)" : window->pack.keys.at(row);
    }
};

TEST_F(KeysTest, TwoHiddenKeyNameDialogsBelongToTheWindow)
{
    const auto dialogs = window->findChildren<TNewKey*>();
    ASSERT_EQ(dialogs.size(), 2);
    for (TNewKey* dialog : dialogs) {
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->parent(), window.get());
        EXPECT_EQ(dialog->windowTitle(), "Schlüssel anlegen");
    }
}

TEST_F(KeysTest, AddingANewNameSelectsItWithEmptyControlsAndNoTableEntries)
{
    const std::pair<std::string, Keys> cases[] = {
        {"key ", {"alpha", "beta", "delta", "epsilon", "gamma", "key "}},
        {"", {"", "alpha", "beta", "delta", "epsilon", "gamma"}},
        {"Beta2", {"alpha", "beta", "Beta2", "delta", "epsilon", "gamma"}},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        SetUp();
        showKey("beta");
        window->setStatusText("vorher");
        addKey(name);
        EXPECT_EQ(keys(), expected);
        EXPECT_EQ(selected(), name);
        EXPECT_EQ(window->lpKey->text(), name);
        EXPECT_EQ(window->lpValue->toPlainText(), "");
        EXPECT_EQ(window->lpComment->toPlainText(), "");
        EXPECT_FALSE(window->htmlCheckbox->isChecked());
        EXPECT_FALSE(window->unixCheckBox->isChecked());
        // Unchecking the boxes of "beta" ran the flag rule; emptying the memos ran no rule.
        EXPECT_TRUE(window->submitAction->isEnabled());
        EXPECT_EQ(status(), "vorher");
        EXPECT_EQ(window->focusWidget(), window->lpValue);
        EXPECT_EQ(window->pack.record(name), KeyRecord{});
        EXPECT_TRUE(window->pack.isModified);
        EXPECT_FALSE(window->pack.isSaved);
        EXPECT_EQ(dialogs.takeShown(), Keys{});
    }
}

TEST_F(KeysTest, AddingANameThatIsThereInAnyCaseSelectsItAndChangesNothing)
{
    showKey("alpha");
    const std::string before = document();
    addKey("BETA");
    EXPECT_EQ(dialogs.takeShown(), Keys{"info: Schlüssel bereits vorhanden!"});
    EXPECT_EQ(selected(), "beta");
    EXPECT_EQ(window->lpValue->toPlainText(), "Text B");
    EXPECT_EQ(status(), "Übersetzung geladen (pack.xml)");
    EXPECT_EQ(document(), before);
    EXPECT_FALSE(window->pack.isModified);
}

TEST_F(KeysTest, NewKeyDialogOffersTheLastNameSelected)
{
    addKey("zeta");
    window->newAction->trigger();
    EXPECT_EQ(window->newKeyDialog->newkey->text(), "zeta");
    EXPECT_EQ(window->newKeyDialog->newkey->selectedText(), "zeta");
    QTest::mouseClick(window->newKeyDialog->Button2, Qt::LeftButton);
    EXPECT_FALSE(window->newKeyDialog->isVisible());
    EXPECT_EQ(keys().size(), 6u);
}

TEST_F(KeysTest, RenameMovesTextCommentAndFlagsAndReports)
{
    showKey("beta");
    typeInto(window->lpValue, "!");
    renameTo("zeta");
    EXPECT_EQ(keys(), (Keys{"alpha", "delta", "epsilon", "gamma", "zeta"}));
    EXPECT_EQ(selected(), "zeta");
    // The text comes from the memo, with the edit not yet taken over.
    EXPECT_EQ(window->pack.record("zeta"), (KeyRecord{"Text B!", "Kommentar B", "1", "0", "1"}));
    EXPECT_EQ(window->pack.record("beta"), KeyRecord{});
    EXPECT_EQ(status(), "Key/Value geändert (pack.xml nicht gespeichert)");
    EXPECT_TRUE(window->saveAction->isEnabled());
    EXPECT_TRUE(window->saveasAction->isEnabled());
    EXPECT_TRUE(window->pack.isModified);
    // The controls still hold the edits and store them at the next take-over.
    EXPECT_TRUE(window->submitAction->isEnabled());
    EXPECT_EQ(window->lpComment->toPlainText(), "Kommentar B");
}

TEST_F(KeysTest, RenameDialogStartsWithTheCurrentKey)
{
    showKey("gamma");
    window->renameAction->trigger();
    EXPECT_EQ(window->renameKeyDialog->newkey->text(), "gamma");
    EXPECT_TRUE(window->renameKeyDialog->isVisible());
}

TEST_F(KeysTest, RenameOfAKeyWithoutTextLeavesNoTextEntry)
{
    showKey("alpha");
    renameTo("omega");
    EXPECT_EQ(window->pack.ValueList.indexOfName("alpha"), -1);
    EXPECT_EQ(window->pack.ValueList.indexOfName("omega"), -1);
    EXPECT_EQ(selected(), "omega");
}

TEST_F(KeysTest, RenameThatOnlyChangesTheCaseGoesAhead)
{
    showKey("beta");
    renameTo("Beta");
    EXPECT_EQ(keys(), (Keys{"alpha", "Beta", "delta", "epsilon", "gamma"}));
    EXPECT_EQ(window->pack.ValueList.nameAt(window->pack.ValueList.indexOfName("beta")), "Beta");
    EXPECT_EQ(dialogs.takeShown(), Keys{});
}

TEST_F(KeysTest, RefusedNamesChangeNothing)
{
    const std::pair<QAction*, TNewKey*> adding{window->newAction, window->newKeyDialog};
    const std::pair<QAction*, TNewKey*> renaming{window->renameAction, window->renameKeyDialog};
    const struct
    {
        std::pair<QAction*, TNewKey*> how;
        const char* name;
        const char* message;
    } cases[] = {
        {renaming, "", "info: Ein Schlüssel braucht einen Namen."},
        {renaming, "gamma", "info: Schlüssel bereits vorhanden!"},
        {renaming, "GAMMA", "info: Schlüssel bereits vorhanden!"},
        {renaming, "a=b", "info: Ein Schlüssel darf kein \"=\" enthalten."},
        {adding, "a=b", "info: Ein Schlüssel darf kein \"=\" enthalten."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        showKey("beta");
        typeInto(window->lpValue, "!");
        const std::string before = document();
        answer(c.how.first, c.how.second, c.name);
        EXPECT_EQ(dialogs.takeShown(), Keys{c.message});
        EXPECT_EQ(document(), before);
        EXPECT_EQ(selected(), "beta");
        EXPECT_EQ(window->lpValue->toPlainText(), "Text B!");
        EXPECT_FALSE(window->pack.isModified);
    }
}

TEST_F(KeysTest, RemovingDeletesEveryEntryAndSelectsTheOneBefore)
{
    const std::pair<const char*, const char*> cases[] = {
        {"delta", "beta"},  // the third of five selects the second
        {"alpha", "beta"},  // the first selects the new first
        {nullptr, "alpha"}, // nothing selected: no entry goes, the first is selected
    };
    for (const auto& [removed, next] : cases) {
        SCOPED_TRACE(removed ? removed : "none");
        SetUp();
        if (removed)
            showKey(removed);
        else
            window->lpKey->setItemIndex(-1);
        window->dropAction->trigger();
        EXPECT_EQ(keys().size(), removed ? 4u : 5u);
        EXPECT_EQ(selected(), next);
        EXPECT_EQ(status(), "Übersetzung geladen (pack.xml)");
        EXPECT_TRUE(window->pack.isModified);
        EXPECT_EQ(dialogs.takeShown(), Keys{});
    }
}

TEST_F(KeysTest, KeyAddedAgainAfterRemovalStartsWithoutEntries)
{
    showKey("beta");
    window->dropAction->trigger();
    EXPECT_EQ(window->pack.record("beta"), KeyRecord{});
    addKey("beta");
    showKey("alpha");
    showKey("beta");
    EXPECT_EQ(window->lpComment->toPlainText(), "");
    EXPECT_FALSE(window->htmlCheckbox->isChecked());
    EXPECT_FALSE(window->unixCheckBox->isChecked());
}

TEST_F(KeysTest, RemovingTheLastKeyLeavesNothingSelected)
{
    showKey("alpha");
    for (int i = 0; i < 5; ++i)
        window->dropAction->trigger();
    EXPECT_EQ(keys(), Keys{});
    EXPECT_EQ(selected(), "(none)");
    EXPECT_EQ(window->lpKey->text(), "");
    EXPECT_EQ(window->pack.ValueList.count() + window->pack.CommentList.count(), 0);
}

} // namespace
