#include "WidgetText.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include "TypeText.h"

#include <gtest/gtest.h>

namespace {

TEST(WidgetTextTest, MemoKeepsNonBreakingSpacesAndLineBreaks)
{
    QPlainTextEdit memo;
    const QString text = QString::fromUtf8("a\u00A0b\n\nc");
    WidgetText::setMemoText(&memo, text);
    EXPECT_EQ(WidgetText::memoText(&memo), text);
}

TEST(WidgetTextTest, CharactersOutsideWindows1252AreReplacedAsTyped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Straße € “x”", "Straße € “x”"},
        {"Ācht", "Acht"},
        {"a😀b", "a?b"},
        {"日本", "??"},
    };
    for (const auto& [typed, kept] : cases)
        EXPECT_EQ(WidgetText::representableOnly(QString::fromUtf8(typed)), QString::fromUtf8(kept)) << typed;

    QPlainTextEdit memo;
    memo.setPlainText(QString::fromUtf8("x\nĀ😀y"));
    EXPECT_TRUE(WidgetText::keepWindows1252(&memo));
    EXPECT_EQ(memo.toPlainText(), QString::fromUtf8("x\nA?y"));
    EXPECT_FALSE(WidgetText::keepWindows1252(&memo));

    QLineEdit edit;
    WidgetText::keepWindows1252(&edit);
    typeText(&edit, QString::fromUtf8("bĀ"));
    EXPECT_EQ(edit.text(), "bA");
    EXPECT_EQ(edit.cursorPosition(), 2);
}

} // namespace
