#include "WindowFixture.h"

#include "TKeyField.h"
#include "WidgetText.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "TypeText.h"

namespace {

class EditingTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        LanguagePack& pack = window->pack;
        pack.packFileName = "pack.xml";
        for (const char* key : {"greeting", "farewell", "empty"})
            pack.keys.add(key);
        pack.ValueList.setValue("greeting", "Hallo\r\nWelt");
        pack.CommentList.setValue("greeting", "Begr\xFC\xDFung");
        pack.HtmlList.setValue("greeting", "1");
        pack.BreakList.setValue("greeting", "0");
        pack.UnixList.setValue("greeting", "1");
        pack.ValueList.setValue("farewell", "Tsch\xFC\x73");
        window->toggleWW->setEnabled(true);
        window->show();
    }

    void showKey(const char* key)
    {
        window->lpKey->setItemIndex(window->pack.keys.indexOf(key));
        window->lpKeyChange();
    }
    void typeKey(const QString& name)
    {
        window->lpKey->lineEdit()->clear();
        typeText(window->lpKey->lineEdit(), name);
    }
    void click(const char* button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    void typeInto(QPlainTextEdit* memo, const QString& text)
    {
        memo->moveCursor(QTextCursor::End);
        typeText(memo, text);
    }
    bool enabled(QAction* a) const { return a->isEnabled(); }
};

TEST_F(EditingTest, ShowKeyFillsTheControlsAndDisablesTakeOver)
{
    showKey("greeting");
    EXPECT_EQ(window->lpValue->toPlainText(), "Hallo\nWelt");
    EXPECT_EQ(window->lpComment->toPlainText(), "Begrüßung");
    EXPECT_TRUE(window->htmlCheckbox->isChecked());
    EXPECT_FALSE(window->breakCheckbox->isChecked());
    EXPECT_TRUE(window->unixCheckBox->isChecked());
    EXPECT_FALSE(enabled(window->submitAction));
    EXPECT_FALSE(enabled(window->resetAction));
    EXPECT_EQ(status(), "Übersetzung geladen (pack.xml)");
    // The translation memo changed on the way, which enables saving.
    EXPECT_TRUE(enabled(window->saveAction));
    EXPECT_FALSE(window->pack.isModified);
}

TEST_F(EditingTest, ShowingAKeyWithTheSameTextLeavesSaveActionAlone)
{
    showKey("empty");
    EXPECT_FALSE(enabled(window->saveAction));
    showKey("greeting");
    window->saveAction->setEnabled(false);
    showKey("greeting");
    EXPECT_FALSE(enabled(window->saveAction));
}

TEST_F(EditingTest, OnlyTheExactTextOneChecksAFlagBox)
{
    const std::pair<const char*, bool> cases[] = {{"1", true},     {"0", false},  {"", false},
                                                  {"true", false}, {" 1", false}, {"01", false}};
    for (const auto& [stored, checked] : cases) {
        SCOPED_TRACE(stored);
        for (THashedStringList* table :
             {&window->pack.HtmlList, &window->pack.BreakList, &window->pack.UnixList})
            table->setValue("farewell", stored);
        showKey("farewell");
        EXPECT_EQ(window->htmlCheckbox->isChecked(), checked);
        EXPECT_EQ(window->breakCheckbox->isChecked(), checked);
        EXPECT_EQ(window->unixCheckBox->isChecked(), checked);
    }
}

TEST_F(EditingTest, CommentEditLeavesSaveActionTextEditEnablesIt)
{
    showKey("empty");
    typeInto(window->lpComment, "note");
    EXPECT_TRUE(enabled(window->submitAction));
    EXPECT_TRUE(enabled(window->resetAction));
    EXPECT_FALSE(enabled(window->saveAction));
    EXPECT_EQ(status(), "Kommentar geändert (nicht gespeichert: pack.xml)");

    typeInto(window->lpValue, "text");
    EXPECT_TRUE(enabled(window->saveAction));
    EXPECT_EQ(status(), "Übersetzung geändert (nicht gespeichert: pack.xml)");
    EXPECT_TRUE(window->pack.isSaved);
    EXPECT_EQ(window->pack.ValueList.value("empty"), "");
}

TEST_F(EditingTest, FlagClickEnablesTakeOverAndKeepsTheStatusText)
{
    showKey("farewell");
    QTest::mouseClick(window->breakCheckbox, Qt::LeftButton);
    EXPECT_TRUE(enabled(window->submitAction));
    EXPECT_TRUE(enabled(window->resetAction));
    EXPECT_EQ(status(), "Übersetzung geladen (pack.xml)");
}

TEST_F(EditingTest, TakeOverWritesAllFiveTables)
{
    showKey("farewell");
    typeInto(window->lpValue, "\nbis bald");
    typeInto(window->lpComment, QString::fromUtf8("Gruß"));
    QTest::mouseClick(window->htmlCheckbox, Qt::LeftButton);
    click("submitActionButton");

    const LanguagePack& pack = window->pack;
    EXPECT_EQ(pack.ValueList.value("farewell"), "Tsch\xFC\x73\r\nbis bald");
    EXPECT_EQ(pack.CommentList.value("farewell"), "Gru\xDF");
    EXPECT_EQ(pack.HtmlList.value("farewell"), "1");
    EXPECT_EQ(pack.BreakList.value("farewell"), "0");
    EXPECT_EQ(pack.UnixList.value("farewell"), "0");
    EXPECT_FALSE(enabled(window->submitAction));
    EXPECT_FALSE(enabled(window->resetAction));
    EXPECT_TRUE(enabled(window->saveAction));
    EXPECT_TRUE(enabled(window->saveasAction));
    EXPECT_FALSE(pack.isSaved);
    EXPECT_TRUE(pack.isModified);
    EXPECT_EQ(status(), "Änderungen übernommen (nicht gespeichert: pack.xml)");
}

TEST_F(EditingTest, TakeOverWithoutEditsAndWithoutFileNameStillReports)
{
    window->pack.packFileName.clear();
    showKey("greeting");
    window->submitActionExecute();
    EXPECT_EQ(status(), "Änderungen übernommen (nicht gespeichert: )");
    EXPECT_TRUE(window->pack.isModified);
    EXPECT_EQ(window->pack.ValueList.value("greeting"), "Hallo\r\nWelt");
}

TEST_F(EditingTest, TakeOverOfEmptyTextsRemovesTheirEntriesAndKeepsTheKey)
{
    showKey("greeting");
    window->lpValue->clear();
    window->lpComment->clear();
    window->submitActionExecute();
    const LanguagePack& pack = window->pack;
    EXPECT_EQ(pack.ValueList.indexOfName("greeting"), -1);
    EXPECT_EQ(pack.CommentList.indexOfName("greeting"), -1);
    EXPECT_EQ(pack.HtmlList.value("greeting"), "1");
    EXPECT_EQ(pack.BreakList.value("greeting"), "0");
    EXPECT_NE(pack.keys.indexOf("greeting"), -1);
    showKey("farewell");
    showKey("greeting");
    EXPECT_EQ(window->lpValue->toPlainText(), "");
}

TEST_F(EditingTest, DiscardRestoresTheTextsButLeavesToggledFlags)
{
    showKey("greeting");
    QTest::mouseClick(window->htmlCheckbox, Qt::LeftButton);
    typeInto(window->lpValue, "!");
    window->saveAction->setEnabled(false);
    click("resetActionButton");
    EXPECT_EQ(window->lpValue->toPlainText(), "Hallo\nWelt");
    EXPECT_FALSE(window->htmlCheckbox->isChecked());
    EXPECT_FALSE(enabled(window->submitAction));
    EXPECT_FALSE(enabled(window->resetAction));
    EXPECT_EQ(status(), "Übersetzung geändert (nicht gespeichert: pack.xml)");
    EXPECT_TRUE(enabled(window->saveAction));
    // The toggled flag goes in with the next take-over of the key.
    window->submitActionExecute();
    EXPECT_EQ(window->pack.HtmlList.value("greeting"), "0");
}

TEST_F(EditingTest, DiscardStatusTextFollowsWhatItChanged)
{
    showKey("greeting");
    typeInto(window->lpComment, "?");
    typeInto(window->lpValue, "!");
    window->resetActionExecute();
    EXPECT_EQ(status(), "Kommentar geändert (nicht gespeichert: pack.xml)");

    QTest::mouseClick(window->unixCheckBox, Qt::LeftButton);
    window->setStatusText("vorher");
    window->resetActionExecute();
    EXPECT_EQ(status(), "vorher");
    EXPECT_FALSE(enabled(window->submitAction));
}

TEST_F(EditingTest, SelectingAnotherKeyDropsPendingEdits)
{
    showKey("greeting");
    typeInto(window->lpValue, "!");
    showKey("farewell");
    showKey("greeting");
    EXPECT_EQ(window->lpValue->toPlainText(), "Hallo\nWelt");
    EXPECT_EQ(status(), "Übersetzung geladen (pack.xml)");
    EXPECT_EQ(window->pack.ValueList.value("greeting"), "Hallo\r\nWelt");
}

TEST_F(EditingTest, TypedNameInNoTableShowsEmptyControlsAndTakeOverCreatesItsEntries)
{
    showKey("greeting");
    typeKey(QString::fromUtf8("neu€"));
    EXPECT_EQ(window->lpValue->toPlainText(), "");
    EXPECT_EQ(window->lpComment->toPlainText(), "");
    EXPECT_FALSE(window->htmlCheckbox->isChecked());
    EXPECT_FALSE(window->unixCheckBox->isChecked());
    typeInto(window->lpValue, "x");
    window->submitActionExecute();
    EXPECT_EQ(window->pack.ValueList.value("neu\x80"), "x");
    EXPECT_EQ(window->pack.HtmlList.value("neu\x80"), "0");
    EXPECT_EQ(window->pack.keys.count(), 3);
    EXPECT_EQ(window->pack.keys.indexOf("neu\x80"), -1);
}

TEST_F(EditingTest, TypedCharactersOutsideWindows1252AreReplacedOnce)
{
    showKey("empty");
    int rules = 0;
    QObject::connect(window->lpValue, &QPlainTextEdit::textChanged, [&rules] { ++rules; });
    typeInto(window->lpValue, QString::fromUtf8("Ā"));
    EXPECT_EQ(window->lpValue->toPlainText(), "A");
    window->submitActionExecute();
    EXPECT_EQ(window->pack.ValueList.value("empty"), "A");
}

TEST_F(EditingTest, WordWrapSwitchesOnlyTheTranslationMemo)
{
    QTest::mouseClick(window->checkWW, Qt::LeftButton);
    EXPECT_FALSE(window->toggleWW->isChecked());
    EXPECT_EQ(window->lpValue->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(window->lpValue->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(window->lpComment->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QTest::mouseClick(window->checkWW, Qt::LeftButton);
    EXPECT_EQ(window->lpValue->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(window->lpValue->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(EditingTest, NextAndPreviousOnlySayToDo)
{
    showKey("greeting");
    for (QAction* a : {window->nextAction, window->prevAction}) {
        a->trigger();
        EXPECT_EQ(dialogs.takeShown(), std::vector<std::string>{"info: ToDo"});
    }
    EXPECT_EQ(window->lpKey->text(), "greeting");
    EXPECT_EQ(status(), "Übersetzung geladen (pack.xml)");
}

} // namespace
