#include "Placeholders.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> found(std::string_view text)
{
    std::vector<std::string_view> views;
    Placeholders::find(text, views);
    return {views.begin(), views.end()};
}

using List = std::vector<std::string>;

TEST(Placeholders, FindsConversionsAsSprintfReadsThemAndNamesInBraces)
{
    const std::pair<const char*, List> cases[] = {
        {"Hallo %s, du hast %d neue Nachrichten", {"%s", "%d"}},
        {"%b%c%e%E%f%F%g%G%o%u%x%X",
         {"%b", "%c", "%e", "%E", "%f", "%F", "%g", "%G", "%o", "%u", "%x", "%X"}},
        // Argument numbers; digits without "$" are a width.
        {"%2$s von %1$s, %10s", {"%2$s", "%1$s", "%10s"}},
        {"%1$-+ 05.2f|%'*10s|%'%d|%-'x8.3e|%.f", {"%1$-+ 05.2f", "%'*10s", "%'%d", "%-'x8.3e", "%.f"}},
        // "%%" is a percent sign, also before a letter; a lone "%" or an unknown letter is text.
        {"100%% sicher, %%s, 50 %, %y, %1$, %", {}},
        {"%%%s", {"%s"}},
        {"{name} und {0}, {user_id}{Gr\xF6\xDF"
         "e}",
         {"{name}", "{0}", "{user_id}",
          "{Gr\xF6\xDF"
          "e}"}},
        {"{} {a b} {a-b} {{x}} {offen", {"{x}"}},
        {"{%s}", {"%s"}},
        {"", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(found(text), expected) << text;
}

TEST(Placeholders, TextsHoldTheSamePlaceholdersAsMultisetsInAnyOrder)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"%s hat %d", "%d hat %s", true},
        {"%1$s vor %2$s", "%2$s nach %1$s", true},
        {"{name}: %s", "%s ({name})", true},
        {"ohne", "auch ohne, 100%%", true},
        {"%s und %s", "%s", false},
        {"%s", "%s und %s", false},
        {"%s", "%d", false},
        {"%s", "%1$s", false},
        {"{name}", "{Name}", false},
        {"%s {name}", "%s", false},
        {"%%s", "%s", false},
    };
    for (const auto& [a, b, same] : cases) {
        EXPECT_EQ(Placeholders::same(a, b), same) << a << " / " << b;
        EXPECT_EQ(Placeholders::same(b, a), same) << b << " / " << a;
        EXPECT_EQ(Placeholders::sorted(a) == Placeholders::sorted(b), same) << a << " / " << b;
    }
    EXPECT_EQ(Placeholders::sorted("{b} %s {a} %d %s"), (List{"%d", "%s", "%s", "{a}", "{b}"}));
}

} // namespace
