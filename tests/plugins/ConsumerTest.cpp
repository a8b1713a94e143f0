#include "PluginTesting.h"
#include "encoder.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// The exported files read back by the programs that consume them, gettext and PHP, each run
// as a child process.

namespace {

struct Outcome
{
    int status = -1;
    std::string output;
};

// Runs the program with the C locale and gives its exit status and standard output; its
// error output goes to the test's log.
Outcome run(std::vector<std::string> arguments)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        setenv("LC_ALL", "C", 1);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    Outcome outcome;
    char buffer[65536];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        outcome.output.append(buffer, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

std::string hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string result;
    for (unsigned char b : bytes) {
        result += digits[b >> 4];
        result += digits[b & 15];
    }
    return result;
}

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

std::string unixLineBreaks(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            result += text[i];
        else if (i + 1 == text.size() || text[i + 1] != '\n')
            result += '\n';
    }
    return result;
}

// key → text as the consumer should read it: the text after the flags' conversion, with
// every escape of the file's syntax undone.
std::map<std::string, std::string> convertedTexts(const ExportTables& tables, bool withBreaks)
{
    const HTML_Encoder encoder;
    std::map<std::string, std::string> converted;
    for (int i = 0; i < tables.valueList.count(); ++i) {
        const std::string key = tables.valueList.nameAt(i);
        std::string text = tables.valueList.valueAt(i);
        if (tables.unixList.value(key) == "1")
            text = unixLineBreaks(text);
        if (tables.htmlList.value(key) == "1") {
            text = encoder.encodeEntities(text);
            if (withBreaks && tables.breakList.value(key) == "1")
                text = encoder.insertHtmlBreaks(text);
        }
        converted[key] = text;
    }
    return converted;
}

// The escapes msgunfmt writes for the bytes of these tables: \n, \r, \t, \\ and \".
std::string unescape(std::string_view literal)
{
    std::string result;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        char c = literal[i];
        if (c == '\\' && i + 1 < literal.size()) {
            c = literal[++i];
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        result += c;
    }
    return result;
}

// msgid → msgstr of a PO file as msgunfmt writes it, the header entry left out.
std::map<std::string, std::string> readPo(const std::string& po)
{
    std::map<std::string, std::string> entries;
    std::string msgid;
    std::string msgstr;
    std::string* current = nullptr;
    const auto finish = [&] {
        if (current == &msgstr && !msgid.empty())
            entries[msgid] = msgstr;
        msgid.clear();
        msgstr.clear();
        current = nullptr;
    };
    std::size_t start = 0;
    while (start < po.size()) {
        std::size_t end = po.find('\n', start);
        if (end == std::string::npos)
            end = po.size();
        const std::string_view line(po.data() + start, end - start);
        start = end + 1;
        std::string_view rest = line;
        if (line.starts_with("msgid ")) {
            finish();
            current = &msgid;
            rest.remove_prefix(6);
        } else if (line.starts_with("msgstr ")) {
            current = &msgstr;
            rest.remove_prefix(7);
        }
        if (current && rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
            *current += unescape(rest.substr(1, rest.size() - 2));
    }
    finish();
    return entries;
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

// The catalogue says iso_8859_1 but holds Windows-1252; gettext passes the bytes through, so
// every byte, 0x80 to 0x9F included, comes back as written.
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
