#include "lpnewkey.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(TNewKey, OkayAndEnterRequestBeforeHidingAbbrechenOnlyHides)
{
    TNewKey dialog;
    EXPECT_EQ(dialog.size(), QSize(280, 111));
    EXPECT_EQ(dialog.Label1->text(), "Übersetzungs-Schlüssel:");
    std::vector<std::string> requests;
    dialog.OnRequest = [&](TNewKey* sender) {
        requests.push_back(sender->isVisible() ? sender->KeyName() : "?");
    };
    dialog.setKeyName(" gr\xF6\xDF"
                      "e ");
    for (const auto press : {+[](TNewKey& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); },
                             +[](TNewKey& d) { QTest::keyClick(d.newkey, Qt::Key_Return); },
                             +[](TNewKey& d) { QTest::mouseClick(d.Button2, Qt::LeftButton); }}) {
        dialog.show();
        press(dialog);
        EXPECT_FALSE(dialog.isVisible());
    }
    // Neither trimmed nor changed, and kept between uses.
    EXPECT_EQ(requests, std::vector<std::string>(2, " gr\xF6\xDF"
                                                    "e "));
    EXPECT_EQ(dialog.newkey->text(), " größe ");
}

} // namespace
