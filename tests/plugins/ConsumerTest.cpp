#include "ExportConsumers.h"
#include "PluginTesting.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

// The exported files read back by the programs that consume them, gettext and PHP, each run
// as a child process.

namespace {

using namespace ExportConsumers;

// Texts in Windows-1252 that a careless writer would garble. Their line breaks stand inside:
// msgfmt refuses an entry whose msgid and msgstr do not both begin and end alike with LF.
const std::vector<std::string> texts = {
    "Gr\xF6\xDF"
    "e: \"A\" & <B>\r\nZeile 2",
    "C:\\temp\\new",
    "ends with a backslash\\",
    "a quote after a backslash \\\" here",
    "Preis: $5, {$x}, ${y}, {${exit(3)}}",
    "'single' quotes\tand a TAB",
    "\x80 \x8C \x9F \xA0 \xE4\xF6\xFC\xDF \xFF",
    "lone\rCR",
    "lone\nLF",
    "mixed\r\nCR LF\rand\nLF",
    "?> <?php echo 1;",
    // Escapes on both sides of the sixteen-byte steps in which a writer may scan.
    "fifteen bytes \\\"sixteen\" and on \\ to thirty\r\nthirty-three",
    "a plain start of twenty bytes, then \\",
};

const std::vector<std::string> specialKeys = {
    "say \"hi\"", "back\\slash\\", "dollar$key", "{$x}", "two\r\nlines", "\xC4rger \x80",
};

// Every text under every flag combination, and the awkward keys with a plain text.
ExportTables consumerTables()
{
    ExportTables tables;
    for (std::size_t t = 0; t < texts.size(); ++t)
        for (int flags = 0; flags < 8; ++flags)
            tables.add("text" + std::to_string(t) + "." + std::to_string(flags), texts[t], flags & 1,
                       flags & 2, flags & 4);
    for (const std::string& key : specialKeys)
        tables.add(key, "value of " + key);
    return tables;
}

std::map<std::string, std::string> convertedTexts(const ExportTables& tables, bool withBreaks)
{
    return ExportConsumers::convertedTexts(tables.valueList, tables.htmlList, tables.breakList,
                                           tables.unixList, withBreaks);
}

class Consumer : public testing::Test
{
protected:
    void SetUp() override
    {
        varnexPlugin().Export_Free();
        phpPlugin().Export_Free();
    }

    TempFolder folder;
};

// msgfmt and msgunfmt keep the catalogue's Windows-1252 bytes as they are, so every byte,
// 0x80 to 0x9F included, comes back as written.
TEST_F(Consumer, GettextChecksThePoFileAndReadsEveryTextBackExactly)
{
    const ExportTables tables = consumerTables();
    const std::string po = folder.path("de.po");
    const std::string mo = folder.path("de.mo");
    runExport(varnexPlugin(), tables, po);
    ASSERT_EQ(run({"msgfmt", "--check", "-o", mo, po}).status, 0);
    const Outcome catalogue = run({"msgunfmt", mo});
    ASSERT_EQ(catalogue.status, 0);
    const auto expected = convertedTexts(tables, false);
    const auto read = readPo(catalogue.output);
    ASSERT_EQ(read.size(), expected.size());
    for (const auto& [key, text] : expected) {
        const auto found = read.find(key);
        ASSERT_NE(found, read.end()) << hex(key);
        EXPECT_EQ(hex(found->second), hex(text)) << hex(key);
    }
}

// The header names the character set the texts are in: gettext checks it without a warning,
// and a conversion to UTF-8, of the catalogue or of the compiled one read back, gives the
// characters a German text uses and ISO-8859-1 lacks.
TEST_F(Consumer, GettextReadsTheTextsAsWindows1252)
{
    ExportTables tables;
    tables.add("greeting", "\x84Hallo\x93, 5 \x80, \x96 \x97 \x99");
    const std::string utf8 =
        "\xE2\x80\x9EHallo\xE2\x80\x9C, 5 \xE2\x82\xAC, \xE2\x80\x93 \xE2\x80\x94 \xE2\x84\xA2";
    const std::string po = folder.path("de.po");
    const std::string mo = folder.path("de.mo");
    const std::string back = folder.path("back.po");
    runExport(varnexPlugin(), tables, po);

    const Outcome check =
        run({"msgfmt", "--check-format", "--check-header", "-o", mo, po}, ErrorOutput::withOutput);
    ASSERT_EQ(check.status, 0) << check.output;
    EXPECT_EQ(check.output.find("charset"), std::string::npos) << check.output;

    const Outcome converted = run({"msgconv", "-t", "UTF-8", po});
    ASSERT_EQ(converted.status, 0);
    EXPECT_EQ(hex(readPo(converted.output)["greeting"]), hex(utf8));

    ASSERT_EQ(run({"msgunfmt", "-o", back, mo}).status, 0);
    const Outcome decompiled = run({"msgconv", "-t", "UTF-8", back});
    ASSERT_EQ(decompiled.status, 0);
    EXPECT_EQ(hex(readPo(decompiled.output)["greeting"]), hex(utf8));
}

TEST_F(Consumer, PhpIncludesTheFileAndGetsEveryTextExactly)
{
    const ExportTables tables = consumerTables();
    const std::string file = folder.path("de.php");
    runExport(phpPlugin(), tables, file);

    const Outcome lint = run({"php", "-n", "-l", file});
    EXPECT_EQ(lint.status, 0) << lint.output;

    const std::string script = folder.path("dump.php");
    writeFile(script, "<?php\n"
                      "include $argv[1];\n"
                      "foreach ($translation as $key => $text)\n"
                      "    echo bin2hex((string)$key), ' ', bin2hex($text), \"\\n\";\n");
    const Outcome dump = run({"php", "-n", script, file});
    ASSERT_EQ(dump.status, 0) << dump.output;

    const auto converted = convertedTexts(tables, true);
    std::string expected;
    for (int i = 0; i < tables.valueList.count(); ++i) {
        const std::string key = tables.valueList.nameAt(i);
        expected += hex(key) + " " + hex(converted.at(key)) + "\n";
    }
    EXPECT_EQ(dump.output, expected);
}

} // namespace
