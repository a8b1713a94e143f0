#include "WindowFixture.h"

#include "SearchResultList.h"
#include "TKeyField.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "TypeText.h"

namespace {

using Lines = std::vector<std::string>;

class SearchTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        LanguagePack& pack = window->pack;
        // Added out of order, so that the table's order is not the names' order.
        const std::pair<const char*, const char*> texts[] = {
            {"zebra", "das Haus am See"},
            {"Apfel", "Hausaufgabe"},
            {"mitte", "\xE4rger"}, // "ärger"
            {"comment.only", "nichts"},
        };
        for (const auto& [key, text] : texts) {
            pack.keys.add(key);
            pack.ValueList.setValue(key, text);
        }
        pack.CommentList.setValue("comment.only", "Haus");
        pack.keys.add("no.text");
        window->lpKey->keysReset();
        window->show();
    }

    Lines results() const
    {
        Lines lines;
        const QAbstractItemModel* model = window->ergenbisse->model();
        for (int row = 0; row < model->rowCount(); ++row)
            lines.push_back(model->index(row, 0).data().toString().toStdString());
        return lines;
    }
    void type(const QString& text) { typeText(window->suchbegriff, text); }
    void pick(int row)
    {
        const QRect line = window->ergenbisse->visualRect(window->ergenbisse->model()->index(row, 0));
        QTest::mouseClick(window->ergenbisse->viewport(), Qt::LeftButton, {}, line.center());
    }
};

TEST_F(SearchTest, SearchesWhileTypingInTextsOnlySortedByName)
{
    const std::pair<const char*, Lines> steps[] = {
        {"ha", {"Apfel", "zebra"}},
        {"u", {"Apfel", "zebra"}},
        {"s ", {"zebra"}},
        {"x", {}},
    };
    for (const auto& [typed, expected] : steps) {
        SCOPED_TRACE(typed);
        type(typed);
        EXPECT_EQ(results(), expected);
    }
    window->suchbegriff->clear();
    EXPECT_EQ(results(), Lines{});
    type(QString::fromUtf8("ÄRG"));
    EXPECT_EQ(results(), Lines{"mitte"});
    window->suchbegriff->setText("HAUS");
    EXPECT_EQ(results(), (Lines{"Apfel", "zebra"}));
    EXPECT_EQ(status(), "");
    EXPECT_EQ(window->lpKey->itemIndex(), -1);
    EXPECT_EQ(dialogs.takeShown(), Lines{});
}

TEST_F(SearchTest, UncheckingSearchOnTypeLeavesTheSearchToTheButton)
{
    QTest::mouseClick(window->searchOnType, Qt::LeftButton);
    EXPECT_FALSE(window->searchOnType->isChecked());
    EXPECT_TRUE(window->suchAction->isEnabled());
    type("haus");
    EXPECT_EQ(results(), Lines{});
    QTest::mouseClick(window->findChild<QPushButton*>("suchActionButton"), Qt::LeftButton);
    EXPECT_EQ(results(), (Lines{"Apfel", "zebra"}));

    type("a");
    EXPECT_EQ(results(), (Lines{"Apfel", "zebra"}));
    QTest::mouseClick(window->searchOnType, Qt::LeftButton);
    EXPECT_TRUE(window->searchOnType->isChecked());
    EXPECT_FALSE(window->suchAction->isEnabled());
    EXPECT_EQ(results(), Lines{"Apfel"});
}

TEST_F(SearchTest, PickingAResultShowsItsKeyAndDropsPendingEdits)
{
    window->lpKey->setItemIndex(window->pack.keys.indexOf("mitte"));
    window->lpKeyChange();
    window->lpValue->insertPlainText("!");
    window->pack.keys.add("APFEL");
    window->lpKey->keysReset();
    type("aufgabe");
    pick(0);
    EXPECT_EQ(window->lpKey->text(), "Apfel");
    EXPECT_EQ(window->lpKey->itemIndex(), 0);
    EXPECT_EQ(window->lpValue->toPlainText(), "Hausaufgabe");
    EXPECT_EQ(window->pack.ValueList.value("mitte"), "\xE4rger");
    EXPECT_EQ(status(), "Übersetzung geladen ()");
}

TEST_F(SearchTest, ResultsStayUntilTheNextSearchAndAGoneKeyShowsNothing)
{
    type("see");
    window->lpKey->setItemIndex(window->pack.keys.indexOf("zebra"));
    window->dropActionExecute();
    dialogs.warningAnswers = {UserDialogs::Answer::Nein};
    window->closeActionExecute();
    EXPECT_EQ(results(), Lines{"zebra"});
    pick(0);
    EXPECT_EQ(window->lpKey->itemIndex(), -1);
    EXPECT_EQ(window->lpKey->text(), "");
    EXPECT_EQ(window->lpValue->toPlainText(), "");
}

} // namespace
