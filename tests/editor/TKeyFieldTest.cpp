#include "TKeyField.h"
#include "KeyList.h"

#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

#include "TypeText.h"

#include <gtest/gtest.h>

namespace {

class KeyFieldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* key : {"beta", "Alpha", "gamma", "delta"})
            keys.add(key);
        field.show();
    }

    QModelIndex row(int r) const { return field.listView()->model()->index(r, 0); }

    KeyList keys;
    TKeyField field{keys};
    QSignalSpy changes{&field, &TKeyField::change};
};

TEST_F(KeyFieldTest, SelectingByProgramFillsTheEditLineWithoutAChange)
{
    field.setItemIndex(2);
    EXPECT_EQ(field.text(), "delta");
    EXPECT_EQ(field.itemIndex(), 2);
    field.setItemIndex(-1);
    EXPECT_EQ(field.text(), "");
    EXPECT_EQ(field.itemIndex(), -1);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(KeyFieldTest, PickingAnEntryPutsItsTextIntoTheEditLineAndReportsAChange)
{
    const QRect place = field.listView()->visualRect(row(1));
    QTest::mouseClick(field.listView()->viewport(), Qt::LeftButton, {}, place.center());
    EXPECT_EQ(field.text(), "beta");
    EXPECT_EQ(changes.count(), 1);

    QTest::keyClick(field.lineEdit(), Qt::Key_Down);
    EXPECT_EQ(field.text(), "delta");
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(KeyFieldTest, TypingReportsEachKeystrokeAndSelectsTheEntryOfThatName)
{
    QTest::keyClicks(field.lineEdit(), "BET");
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(field.itemIndex(), -1);
    QTest::keyClicks(field.lineEdit(), "A");
    EXPECT_EQ(field.itemIndex(), 1);
    // The typed text stays as typed.
    EXPECT_EQ(field.text(), "BETA");
    QTest::keyClicks(field.lineEdit(), "x");
    EXPECT_EQ(field.itemIndex(), -1);
    EXPECT_EQ(field.text(), "BETAx");
}

TEST_F(KeyFieldTest, TextIsInTheDocumentsEncoding)
{
    typeText(field.lineEdit(), QString::fromUtf8("größe€Ā"));
    EXPECT_EQ(field.text(), "gr\xF6\xDF"
                            "e\x80"
                            "A");
}

// The field follows changes made on the list alone.
TEST_F(KeyFieldTest, RemovingTheSelectedKeyEmptiesTheEditLine)
{
    field.setItemIndex(0);
    keys.removeAt(0);
    EXPECT_EQ(field.text(), "");
    EXPECT_EQ(field.listView()->model()->rowCount(), 3);
    const int at = keys.add("epsilon");
    EXPECT_EQ(row(at).data().toString(), "epsilon");
    EXPECT_EQ(field.listView()->model()->rowCount(), 4);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(KeyFieldTest, ResettingTheKeysEmptiesSelectionAndEditLine)
{
    field.setItemIndex(1);
    keys.clear();
    EXPECT_EQ(field.text(), "");
    EXPECT_EQ(field.itemIndex(), -1);
    EXPECT_EQ(field.listView()->model()->rowCount(), 0);
    EXPECT_EQ(changes.count(), 0);
}

} // namespace
