#include "PluginTesting.h"

#include <gtest/gtest.h>

namespace {

// Größe: "A" & <B>, CR LF, Zeile 2 in Windows-1252.
const std::string intro = "Gr\xF6\xDF"
                          "e: \"A\" & <B>\r\nZeile 2";

std::string header(const std::string& fileName)
{
    return "msgid \"\"\n"
           "msgstr \"\"\n"
           "\"Project-Id-Version: " +
           fileName +
           " 1.0\\n\"\n"
           "\"MIME-Version: 1.0\\n\"\n"
           "\"Content-Type: text/plain; charset=CP1252\\n\"\n"
           "\"Content-Transfer-Encoding: 8bit\\n\"\n"
           "\n";
}

class VarnexExport : public testing::Test
{
protected:
    void SetUp() override { varnexPlugin().Export_Free(); }

    std::string exported(const ExportTables& tables)
    {
        runExport(varnexPlugin(), tables, path);
        return readFile(path);
    }

    // The file for tables holding the one key, as the entry's expected three lines.
    void expectEntry(const std::string& key, const std::string& text, bool html, bool breaks, bool unixEnds,
                     const std::string& msgid, const std::string& msgstr)
    {
        ExportTables tables;
        tables.add(key, text, html, breaks, unixEnds);
        EXPECT_EQ(exported(tables), header(path) + "msgid \"" + msgid + "\"\nmsgstr \"" + msgstr + "\"\n\n")
            << "html " << html << " breaks " << breaks << " unix " << unixEnds;
    }

    TempFolder folder;
    const std::string path = folder.path("x.po");
};

TEST_F(VarnexExport, EmptyTablesGiveTheSevenHeaderLinesAlone)
{
    const std::string file = exported(ExportTables{});
    EXPECT_EQ(file, header(path));
    EXPECT_EQ(file.size(), 152 + path.size());
    EXPECT_TRUE(file.ends_with("\n\n"));
}

TEST_F(VarnexExport, WorkedExampleForEveryFlagCombination)
{
    struct Row
    {
        bool html;
        bool unixEnds;
        std::string msgstr;
    };
    const Row rows[] = {
        {false, false,
         "Gr\xF6\xDF"
         "e: \\\"A\\\" & <B>\\r\\nZeile 2"},
        {false, true,
         "Gr\xF6\xDF"
         "e: \\\"A\\\" & <B>\\nZeile 2"},
        {true, false, "Gr&ouml;&szlig;e: &quot;A&quot; &amp; &lt;B&gt;\\r\\nZeile 2"},
        {true, true, "Gr&ouml;&szlig;e: &quot;A&quot; &amp; &lt;B&gt;\\nZeile 2"},
    };
    for (const Row& row : rows)
        for (bool breaks : {false, true})
            expectEntry("intro", intro, row.html, breaks, row.unixEnds, "intro", row.msgstr);
}

TEST_F(VarnexExport, LineBreaksBecomeEscapesByTheUnixFlag)
{
    expectEntry("k", "a\nb", false, false, false, "k", "a\\nb");
    expectEntry("k", "a\rb", false, false, false, "k", "a\\rb");
    expectEntry("k", "a\nb", false, false, true, "k", "a\\nb");
    expectEntry("k", "a\rb\r\n", false, false, true, "k", "a\\nb\\n");
    expectEntry("k", "\r\r\nx\r", false, false, true, "k", "\\n\\nx\\n");
    expectEntry("k", "plain text", false, false, false, "k", "plain text");
}

TEST_F(VarnexExport, OnlyTheExactFlagTextOneCountsAsOn)
{
    for (const char* flag : {"true", " 1", "1 ", "01", "0"}) {
        ExportTables tables;
        tables.valueList.setValue("k", "<\r\n>");
        tables.htmlList.setValue("k", flag);
        tables.unixList.setValue("k", flag);
        EXPECT_EQ(exported(tables), header(path) + "msgid \"k\"\nmsgstr \"<\\r\\n>\"\n\n") << flag;
    }
}

TEST_F(VarnexExport, BackslashesAreDoubledSoGettextReadsThemBack)
{
    expectEntry("path", "C:\\temp", false, false, false, "path", "C:\\\\temp");
    expectEntry("path", "C:\\temp\\", true, false, false, "path", "C:\\\\temp\\\\");
    expectEntry("quoted", "\\\"", false, false, false, "quoted", "\\\\\\\"");
}

TEST_F(VarnexExport, KeysAreWrittenAsPoStrings)
{
    expectEntry("say \"hi\"", "v", false, false, false, "say \\\"hi\\\"", "v");
    expectEntry("a\\b", "v", false, false, false, "a\\\\b", "v");
    expectEntry("two\r\nlines", "v", false, false, false, "two\\r\\nlines", "v");
    expectEntry("<&\xE4>", "v", true, false, false, "<&\xE4>", "v");
}

TEST_F(VarnexExport, HeaderNamesTheFileAsAPoString)
{
    const std::string odd = folder.path("de\\\"x\".po");
    runExport(varnexPlugin(), ExportTables{}, odd);
    EXPECT_TRUE(readFile(odd).starts_with("msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: " +
                                          folder.path("") + "de\\\\\\\"x\\\".po 1.0\\n\"\n"));
}

TEST_F(VarnexExport, EntriesFollowTheTableOrderAndLeaveOutTheEmptyKey)
{
    ExportTables tables;
    tables.add("b", "2");
    tables.add("", "header text");
    tables.add("A", "1");
    tables.add("no text", "");
    EXPECT_EQ(exported(tables), header(path) + "msgid \"b\"\nmsgstr \"2\"\n\nmsgid \"A\"\nmsgstr \"1\"\n\n");
}

} // namespace
