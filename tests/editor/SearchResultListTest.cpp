#include "SearchResultList.h"
#include "KeyList.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SearchResultListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"beta", "alpha", "gamma"})
            results.add(name);
        list.resultsReset();
        list.show();
    }

    QPoint lineCentre(int row) const { return list.visualRect(list.model()->index(row, 0)).center(); }

    KeyList results;
    SearchResultList list{results};
    QSignalSpy clicks{&list, &SearchResultList::click};
};

TEST_F(SearchResultListTest, MouseAndArrowKeysPickALineTypingDoesNot)
{
    EXPECT_EQ(list.selectedText(), std::nullopt);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, lineCentre(1));
    EXPECT_EQ(list.selectedText(), "beta");
    // Clicking the selected line again picks it again.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, lineCentre(1));
    EXPECT_EQ(clicks.count(), 2);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.selectedText(), "gamma");
    EXPECT_EQ(clicks.count(), 3);
    QTest::keyClick(&list, Qt::Key_A);
    EXPECT_EQ(list.selectedText(), "gamma");
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(SearchResultListTest, NewResultsReplaceTheLinesWithNothingSelected)
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, lineCentre(0));
    results = KeyList();
    results.add("delta");
    list.resultsReset();
    EXPECT_EQ(list.model()->rowCount(), 1);
    EXPECT_EQ(list.model()->index(0, 0).data().toString(), "delta");
    EXPECT_EQ(list.selectedText(), std::nullopt);
}

} // namespace
