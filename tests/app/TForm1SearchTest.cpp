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
        // Added out of name order, so that the table's order is not the names' order.
        for (const auto& [key, text] :
             {std::pair{"zebra", "das Haus"}, {"Apfel", "Hausaufgabe"}, {"mitte", "Z"}}) {
            window->pack.keys.add(key);
            window->pack.ValueList.setValue(key, text);
        }
        window->pack.CommentList.setValue("mitte", "Haus");
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
    void pick(int row)
    {
        const QRect line = window->ergenbisse->visualRect(window->ergenbisse->model()->index(row, 0));
        QTest::mouseClick(window->ergenbisse->viewport(), Qt::LeftButton, {}, line.center());
    }
};

TEST_F(SearchTest, SearchesWhileTypingOrOnRequest)
{
    typeText(window->suchbegriff, "ha");
    EXPECT_EQ(results(), (Lines{"Apfel", "zebra"}));
    typeText(window->suchbegriff, "us ");
    EXPECT_EQ(results(), Lines{});
    QTest::keyClick(window->suchbegriff, Qt::Key_Backspace);
    EXPECT_EQ(results(), (Lines{"Apfel", "zebra"}));
    QTest::mouseClick(window->searchOnType, Qt::LeftButton);
    EXPECT_TRUE(window->suchAction->isEnabled());
    typeText(window->suchbegriff, "a");
    EXPECT_EQ(results(), (Lines{"Apfel", "zebra"}));
    QTest::mouseClick(window->searchOnType, Qt::LeftButton);
    EXPECT_FALSE(window->suchAction->isEnabled());
    EXPECT_EQ(results(), Lines{"Apfel"});
    EXPECT_EQ(status(), "");
    EXPECT_EQ(dialogs.takeShown(), Lines{});
}

TEST_F(SearchTest, ResultsStayUntilTheNextSearchAndAGoneKeyShowsNothing)
{
    typeText(window->suchbegriff, "haus");
    pick(1);
    EXPECT_EQ(window->lpKey->text(), "zebra");
    window->dropActionExecute();
    EXPECT_EQ(results(), (Lines{"Apfel", "zebra"}));
    pick(1);
    EXPECT_EQ(window->lpKey->itemIndex(), -1);
    EXPECT_EQ(window->lpValue->toPlainText(), "");
}

} // namespace
