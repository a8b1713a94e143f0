#include "PluginTesting.h"

#include <gtest/gtest.h>

namespace {

// Größe: "A" & <B>, CR LF, Zeile 2 in Windows-1252.
const std::string intro = "Gr\xF6\xDF"
                          "e: \"A\" & <B>\r\nZeile 2";

class PhpExport : public testing::Test
{
protected:
    void SetUp() override { phpPlugin().Export_Free(); }

    std::string exported(const ExportTables& tables)
    {
        runExport(phpPlugin(), tables, path);
        return readFile(path);
    }

    void expectLine(const std::string& key, const std::string& text, bool html, bool breaks, bool unixEnds,
                    const std::string& line)
    {
        ExportTables tables;
        tables.add(key, text, html, breaks, unixEnds);
        EXPECT_EQ(exported(tables), "<?php \n" + line + "\n\n?>")
            << "html " << html << " breaks " << breaks << " unix " << unixEnds;
    }

    TempFolder folder;
    const std::string path = folder.path("x.php");
};

TEST_F(PhpExport, EmptyTablesGiveTheOpeningAndClosingLinesAlone)
{
    EXPECT_EQ(exported(ExportTables{}), "<?php \n\n?>");
    ExportTables one;
    one.add("k", "v");
    const std::string file = exported(one);
    EXPECT_EQ(file, "<?php \n$translation[ \"k\" ] = \"v\";\n\n?>");
    EXPECT_EQ(file.size(), 37u);
}

TEST_F(PhpExport, WorkedExampleForEveryFlagCombination)
{
    const std::string plain = "$translation[ \"intro\" ] = \"Gr\xF6\xDF"
                              "e: \\\"A\\\" & <B>";
    const std::string html = "$translation[ \"intro\" ] = \"Gr&ouml;&szlig;e: &quot;A&quot; &amp; &lt;B&gt;";
    for (bool breaks : {false, true}) {
        expectLine("intro", intro, false, breaks, false, plain + "\r\nZeile 2\";");
        expectLine("intro", intro, false, breaks, true, plain + "\nZeile 2\";");
    }
    expectLine("intro", intro, true, false, false, html + "\r\nZeile 2\";");
    expectLine("intro", intro, true, false, true, html + "\nZeile 2\";");
    for (bool unixEnds : {false, true})
        expectLine("intro", intro, true, true, unixEnds, html + "<br>\nZeile 2\";");
}

TEST_F(PhpExport, TextEdgeCases)
{
    expectLine("k", "say \"hi\"", false, false, false, "$translation[ \"k\" ] = \"say \\\"hi\\\"\";");
    expectLine("k", "say \"hi\"", true, false, false, "$translation[ \"k\" ] = \"say &quot;hi&quot;\";");
    expectLine("k", "a\rb", false, false, false, "$translation[ \"k\" ] = \"a\rb\";");
    expectLine("k", "a\n\nb", true, true, false, "$translation[ \"k\" ] = \"a<br>\n<br>\nb\";");
    expectLine("k", "a\rb", false, true, false, "$translation[ \"k\" ] = \"a\rb\";");
}

TEST_F(PhpExport, OnlyTheExactFlagTextOneCountsAsOn)
{
    for (const char* flag : {"true", " 1", "1 ", "01", "0"}) {
        ExportTables tables;
        tables.valueList.setValue("k", "<\r>");
        tables.htmlList.setValue("k", flag);
        tables.breakList.setValue("k", flag);
        tables.unixList.setValue("k", flag);
        EXPECT_EQ(exported(tables), "<?php \n$translation[ \"k\" ] = \"<\r>\";\n\n?>") << flag;
    }
}

TEST_F(PhpExport, BackslashesAndDollarSignsCannotEndTheLiteralOrRunCode)
{
    expectLine("k", "Preis: $5", false, false, false, "$translation[ \"k\" ] = \"Preis: \\$5\";");
    expectLine("k", "ends with \\", false, false, false, "$translation[ \"k\" ] = \"ends with \\\\\";");
    expectLine("k", "\\\"", false, false, false, "$translation[ \"k\" ] = \"\\\\\\\"\";");
    expectLine("k", "{${exit()}}", true, false, false, "$translation[ \"k\" ] = \"{\\${exit()}}\";");
    expectLine("k\"$\\", "v", false, false, false, "$translation[ \"k\\\"\\$\\\\\" ] = \"v\";");
}

TEST_F(PhpExport, LinesFollowTheTableOrderAndLeaveOutEmptyTexts)
{
    ExportTables tables;
    tables.add("b", "2");
    tables.add("", "empty key");
    tables.add("A", "1");
    tables.add("no text", "");
    EXPECT_EQ(exported(tables),
              "<?php \n$translation[ \"b\" ] = \"2\";\n$translation[ \"\" ] = \"empty key\";\n"
              "$translation[ \"A\" ] = \"1\";\n\n?>");
}

} // namespace
