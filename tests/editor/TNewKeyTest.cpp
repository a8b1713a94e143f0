#include "Windows1252.h"
#include "lpnewkey.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "TypeText.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class NewKeyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dialog.OnRequest = [this](TNewKey* sender) {
            requests.push_back(sender->KeyName());
            EXPECT_EQ(sender, &dialog);
            EXPECT_TRUE(dialog.isVisible()); // hidden only after the request
        };
        dialog.show();
    }

    TNewKey dialog;
    std::vector<std::string> requests;
};

TEST_F(NewKeyTest, LooksAsTheKeyNameDialog)
{
    EXPECT_EQ(dialog.windowTitle(), "Schlüssel anlegen");
    EXPECT_EQ(dialog.size(), QSize(280, 111));
    EXPECT_EQ(dialog.minimumWidth(), 280);
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.Label1->text(), "Übersetzungs-Schlüssel:");
    EXPECT_EQ(dialog.Label1->buddy(), dialog.newkey);
    EXPECT_GE(dialog.newkey->minimumWidth(), 257);
    EXPECT_EQ(dialog.Button1->text(), "Okay");
    EXPECT_TRUE(dialog.Button1->isDefault());
    EXPECT_EQ(dialog.Button2->text(), "Abbrechen");
    EXPECT_EQ(dialog.font().family(), "Tahoma");
}

TEST_F(NewKeyTest, OkayAndEnterRequestThenHideAbbrechenOnlyHides)
{
    typeText(dialog.newkey, " größe ");
    QTest::mouseClick(dialog.Button1, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());

    dialog.show();
    QTest::keyClick(dialog.newkey, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());

    dialog.show();
    QTest::mouseClick(dialog.Button2, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    // Neither trimmed nor changed, in the document's encoding, and kept between uses.
    const std::string typed = Windows1252::fromUtf8(" größe ");
    EXPECT_EQ(requests, (std::vector<std::string>{typed, typed}));
    EXPECT_EQ(dialog.newkey->text(), " größe ");
}

TEST_F(NewKeyTest, KeyNameReplacesTheEntryAndTypedCharactersStayWindows1252)
{
    dialog.setKeyName("caf\xE9");
    EXPECT_EQ(dialog.newkey->text(), "café");
    dialog.newkey->clear();
    typeText(dialog.newkey, "Āx");
    EXPECT_EQ(dialog.KeyName(), "Ax");
}

} // namespace
