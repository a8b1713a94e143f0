#include "WindowFixture.h"

#include "TKeyField.h"
#include "Windows1252.h"

#include <QPushButton>
#include <QTest>

namespace {

using Shown = std::vector<std::string>;

using ChecksTest = WindowFixture;

TEST_F(ChecksTest, ButtonsReportTheirCheckAndChangeNothing)
{
    const struct
    {
        std::vector<const char*> keys;
        const char* doppel;
        const char* syntax;
    } cases[] = {
        {{}, "Doppel-Check bestanden", "Syntax-Check bestanden"},
        {{"a", "b", "b", "c", "Key", "key"}, "Doppel-Check nicht bestanden: b", "Syntax-Check bestanden"},
        {{"größe", "it's", "ok", "\"q\""},
         "Doppel-Check bestanden",
         "Syntax-Check nicht bestanden: \"q\", größe, it's"},
    };
    window->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doppel);
        window->pack.keys.clear();
        for (const char* key : c.keys)
            window->pack.keys.add(Windows1252::fromUtf8(key));
        window->lpKey->keysReset();
        window->lpKey->setItemIndex(window->pack.keys.empty() ? -1 : 0);
        window->setStatusText("vorher");
        QTest::mouseClick(control<QPushButton>("doppelCheckButton"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>("syntaxCheckButton"), Qt::LeftButton);
        EXPECT_EQ(dialogs.takeShown(),
                  (Shown{std::string("info: ") + c.doppel, std::string("info: ") + c.syntax}));
        EXPECT_EQ(status(), "vorher");
        EXPECT_EQ(window->lpKey->itemIndex(), window->pack.keys.empty() ? -1 : 0);
        EXPECT_FALSE(window->pack.isModified);
    }
}

} // namespace
