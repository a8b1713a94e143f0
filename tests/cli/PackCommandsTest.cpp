#include "Process.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace {

const std::string cli = KORVEL_CLI;
const std::string examples = KORVEL_EXAMPLES;

ProcessResult run(const std::string& arguments)
{
    return runCommand(shellQuote(cli) + " " + arguments + " 2>/dev/null");
}

// Only what goes to stderr.
ProcessResult runForErrors(const std::string& arguments)
{
    return runCommand(shellQuote(cli) + " " + arguments + " 2>&1 >/dev/null");
}

struct Key
{
    std::string id, value, comment, html, breaks, unix;
};

// A pack as the program writes it; texts in UTF-8, stored in the doubled form.
std::string packXml(const std::string& lang, const std::vector<Key>& keys)
{
    auto doubled = [](const std::string& text) {
        std::string out;
        for (unsigned char c : text)
            out += c < 0x80 ? std::string(1, static_cast<char>(c))
                            : std::string{static_cast<char>(0xC0 | (c >> 6)),
                                          static_cast<char>(0x80 | (c & 0x3F))};
        return out;
    };
    std::string xml = "<languagepack project=\"web\" name=\"site\" lang=\"" + lang +
                      "\" version=\"1.2.3\" date=\"2020-01-01 00:00\"><content>";
    for (const Key& k : keys)
        xml += "<key id=\"" + k.id + "\" encodeHTML=\"" + k.html + "\" preserveLinebreaks=\"" + k.breaks +
               "\" unixNewline=\"" + k.unix + "\"><value>" + doubled(k.value) + "</value><comment>" +
               doubled(k.comment) + "</comment></key>";
    return xml + "</content></languagepack>";
}

const std::vector<Key> reference = {
    {"greeting", "Hallo %s, {name}!", "Gruß oben", "1", "0", "0"},
    {"new.key", "Neu", "Neuer Knopf", "0", "1", "0"},
    {"empty", "leer", "", "", "", ""},
    {"Flag", "f", "", "1", "", ""},
    {"count", "%2$d von %1$d", "", "", "", ""},
};
const std::vector<Key> translation = {
    {"GREETING", "Hello %s!", "mine", "1", "0", "0"},
    {"old", "Alt", "", "", "", ""},
    {"empty", "", "", "", "", ""},
    {"flag", "f", "", "0", "", ""},
    {"count", "%1$d of %2$d", "", "", "", ""},
};

TEST(PackCommands, DiffReportsEachKindInItsOrderAndFailsOnlyForWhatBreaksAProgram)
{
    TempDir dir;
    const std::string de = shellQuote(dir.write("de.xml", packXml("de", reference)));
    const std::string en = shellQuote(dir.write("en.xml", packXml("en", translation)));
    const ProcessResult text = run("diff " + de + " " + en);
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_EQ(text.out, "missing: new.key\nuntranslated: empty\nobsolete: old\nflags: Flag\n"
                        "placeholders: greeting (REFERENCE: %s {name}; PACK: %s)\n"
                        "1 missing, 1 untranslated, 1 obsolete, 1 flags, 1 placeholders\n");
    const ProcessResult json = run("diff --json " + de + " " + en);
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(nlohmann::ordered_json::parse(json.out).dump(),
              R"({"missing":["new.key"],"untranslated":["empty"],"obsolete":["old"],"flags":["Flag"],)"
              R"("placeholders":[{"key":"greeting","reference":["%s","{name}"],"pack":["%s"]}]})");

    const std::pair<std::vector<Key>, int> exitCodes[] = {
        {{{"a", "x", "", "1", "", ""}, {"b", "y", "", "", "", ""}}, 0},
        {{{"a", "x", "", "0", "", ""}, {"b", "y", "", "", "", ""}, {"obsolete", "z", "", "", "", ""}}, 0},
        {{{"a", "x", "", "1", "", ""}}, 1},
        {{{"a", "", "", "1", "", ""}, {"b", "y", "", "", "", ""}}, 1},
        {{{"a", "x %d", "", "1", "", ""}, {"b", "y", "", "", "", ""}}, 1},
    };
    const std::string a = shellQuote(dir.write("a.xml", packXml("de", exitCodes[0].first)));
    for (const auto& [keys, exitCode] : exitCodes)
        EXPECT_EQ(run("diff " + a + " " + shellQuote(dir.write("b.xml", packXml("en", keys)))).exitCode,
                  exitCode)
            << keys.size();
}

TEST(PackCommands, CheckAgainstAReferenceAddsThePlaceholderCheckInThePacksWords)
{
    TempDir dir;
    const std::string de = shellQuote(dir.write("de.xml", packXml("de", reference)));
    const ProcessResult failed =
        run("check --against " + de + " " + shellQuote(dir.write("en.xml", packXml("en", translation))));
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.out, "Doppel-Check bestanden\nSyntax-Check bestanden\n"
                          "Platzhalter-Check nicht bestanden: GREETING\n");
    const ProcessResult passed =
        run("check " +
            shellQuote(dir.write("ok.xml", packXml("en", {{"GREETING", "{name}: %s", "", "", "", ""}}))) +
            " --against " + de);
    EXPECT_EQ(passed.exitCode, 0);
    EXPECT_EQ(passed.out, "Doppel-Check bestanden\nSyntax-Check bestanden\nPlatzhalter-Check bestanden\n");
}

TEST(PackCommands, SyncAddsWhatThePackLacksKeepsWhatItHasAndWritesOnlyAChange)
{
    TempDir dir;
    const std::string de = shellQuote(dir.write("de.xml", packXml("de", reference)));
    const std::string en = dir.write("en.xml", packXml("en", translation));
    const std::string before = run("dump " + shellQuote(en)).out;

    const ProcessResult copied =
        run("sync " + de + " " + shellQuote(en) + " --output " + shellQuote(dir.path("out.xml")));
    EXPECT_EQ(copied.exitCode, 0);
    EXPECT_EQ(copied.out, "added: new.key\n");
    EXPECT_EQ(run("dump " + shellQuote(en)).out, before);

    const ProcessResult dropped = run("sync --drop-obsolete " + de + " " + shellQuote(en));
    EXPECT_EQ(dropped.exitCode, 0);
    EXPECT_EQ(dropped.out, "added: new.key\ndropped: old\n");
    auto expected = nlohmann::json::parse(before);
    auto after = nlohmann::json::parse(run("dump " + shellQuote(en)).out);
    EXPECT_NE(after["info"]["date"], expected["info"]["date"]);
    expected["info"]["date"] = after["info"]["date"];
    auto& keys = expected["keys"];
    keys.erase(std::find_if(keys.begin(), keys.end(), [](auto& k) { return k["id"] == "old"; }));
    keys.push_back({{"id", "new.key"},
                    {"value", ""},
                    {"comment", "Neuer Knopf"},
                    {"encodeHTML", "0"},
                    {"preserveLinebreaks", "1"},
                    {"unixNewline", "0"}});
    EXPECT_EQ(after, expected);

    // In step already: nothing printed, nothing written, not even the other file.
    const auto written = std::filesystem::last_write_time(en);
    const ProcessResult unchanged =
        run("sync " + de + " " + shellQuote(en) + " --output " + shellQuote(dir.path("none.xml")));
    EXPECT_EQ(unchanged.exitCode, 0);
    EXPECT_EQ(unchanged.out, "");
    EXPECT_EQ(std::filesystem::last_write_time(en), written);
    EXPECT_FALSE(std::filesystem::exists(dir.path("none.xml")));
}

TEST(PackCommands, ImportWritesThePackThatDumpPrinted)
{
    TempDir dir;
    for (const char* example : {"shop_frontend_de.xml", "shop_frontend_en.xml", "newsletter_mail_fr.xml"}) {
        const std::string dumped =
            dir.write("dump.json", run("dump " + shellQuote(examples + "/" + example)).out);
        const std::string out = dir.path(example);
        ASSERT_EQ(run("import " + shellQuote(dumped) + " " + shellQuote(out)).exitCode, 0) << example;
        auto before = nlohmann::json::parse(TempDir::read(dumped));
        auto after = nlohmann::json::parse(run("dump " + shellQuote(out)).out);
        before["info"].erase("date");
        after["info"].erase("date");
        EXPECT_EQ(after, before) << example;
    }
    // From standard input, in any order, with either line break.
    const ProcessResult r = runCommand(
        "printf '%s' '"
        R"({"info":{"project":"p","name":"n","lang":"pl","version":"1.0.0","date":""},"keys":[)"
        R"({"id":"b","value":"Zwei\nZeilen","comment":"\r\n","encodeHTML":"1","preserveLinebreaks":"","unixNewline":"yes"},)"
        R"({"id":"a","value":"Größe €","comment":"","encodeHTML":"","preserveLinebreaks":"","unixNewline":""}]})"
        "' | " +
        shellQuote(cli) + " import - " + shellQuote(dir.path("p.xml")));
    ASSERT_EQ(r.exitCode, 0);
    const auto json = nlohmann::json::parse(run("dump " + shellQuote(dir.path("p.xml"))).out);
    EXPECT_EQ(json["info"]["lang"], "pl");
    EXPECT_EQ(json["keys"][0]["value"], "Größe €");
    EXPECT_EQ(json["keys"][1]["value"], "Zwei\r\nZeilen");
    EXPECT_EQ(json["keys"][1]["comment"], "\r\n");
    EXPECT_EQ(json["keys"][1]["unixNewline"], "yes");
}

TEST(PackCommands, ImportRefusesBadInputInOneGermanLineAndWritesNothing)
{
    TempDir dir;
    const std::string key =
        R"("value":"x","comment":"","encodeHTML":"","preserveLinebreaks":"","unixNewline":"")";
    const std::string info = R"({"info":{"project":"p","name":"n","lang":"l","version":"1","date":""},)";
    const std::pair<std::string, std::string> cases[] = {
        {"{\"info\":\n  {\"project\" \"p\"}}", "Das ist kein gültiges JSON (Zeile 2, Spalte 16)."},
        {"[]", "Das JSON muss ein Objekt sein."},
        {R"({"keys":[]})", "Das Feld \"info\" fehlt."},
        {info + R"("keys":{}})", "Das Feld \"keys\" muss eine Liste sein."},
        {info + R"("keys":[{"id":"a",)" + key + R"(},{"id":"b","value":1}]})",
         "Das Feld \"keys[1].value\" muss ein Text sein."},
        {info + R"("keys":[{"id":"a"}]})", "Das Feld \"keys[0].value\" fehlt."},
        {info + R"("keys":[{"id":"a=b",)" + key + "}]}",
         "Schlüssel \"a=b\": Ein Schlüssel darf kein \"=\" enthalten."},
        {info + R"("keys":[{"id":"",)" + key + "}]}",
         "Das Feld \"keys[0].id\": Ein Schlüssel braucht einen Namen."},
        {info +
             R"("keys":[{"id":"gruss","value":"Cześć","comment":"","encodeHTML":"","preserveLinebreaks":"","unixNewline":""}]})",
         "Schlüssel \"gruss\", Feld \"keys[0].value\": Das Zeichen \"ś\" (U+015B) gibt es in Windows-1252 "
         "nicht."},
    };
    const std::string out = dir.path("out.xml");
    for (const auto& [input, message] : cases) {
        const std::string file = dir.write("in.json", input);
        const ProcessResult r = runForErrors("import " + shellQuote(file) + " " + shellQuote(out));
        EXPECT_EQ(r.exitCode, 1) << input;
        EXPECT_EQ(r.out, "korvel-cli: Datei \"" + file + "\": " + message + "\n");
        EXPECT_FALSE(std::filesystem::exists(out)) << input;
    }
    const ProcessResult piped =
        runCommand("echo '{' | " + shellQuote(cli) + " import - " + shellQuote(out) + " 2>&1");
    EXPECT_EQ(piped.out, "korvel-cli: Standardeingabe: Das ist kein gültiges JSON (Zeile 2, Spalte 1).\n");
}

TEST(PackCommands, StatsCountsKeysTextsCommentsAndFlagsThatAreOn)
{
    TempDir dir;
    const std::string en = shellQuote(dir.write("en.xml", packXml("en", translation)));
    const ProcessResult text = run("stats " + en);
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out,
              "keys: 5\ntranslated: 4\nempty: 1\ncommented: 1\nencodeHTML: 1\npreserveLinebreaks: 0\n"
              "unixNewline: 0\n");
    EXPECT_EQ(run("stats --json " + en).out,
              R"({"keys":5,"translated":4,"empty":1,"commented":1,"encodeHTML":1,)"
              R"("preserveLinebreaks":0,"unixNewline":0})"
              "\n");
}

TEST(PackCommands, UnreadableFilesExitOneAndWrongUsageTwo)
{
    TempDir dir;
    const std::string ok = shellQuote(dir.write("ok.xml", packXml("de", reference)));
    const std::string broken = shellQuote(dir.write("broken.xml", "<languagepack><content>"));
    const std::string missing = shellQuote(dir.path("missing.json"));
    const std::pair<std::string, int> cases[] = {
        {"diff " + ok + " " + broken, 1},
        {"diff " + broken + " " + ok, 1},
        {"sync " + ok + " " + broken, 1},
        {"sync " + ok + " " + shellQuote(dir.write("en.xml", packXml("en", translation))) + " --output " +
             shellQuote(dir.path("no/dir.xml")),
         1},
        {"stats " + broken, 1},
        {"check --against " + broken + " " + ok, 1},
        {"import " + missing + " " + shellQuote(dir.path("x.xml")), 1},
        {"diff " + ok, 2},
        {"diff " + ok + " " + ok + " --bogus", 2},
        {"sync " + ok, 2},
        {"import " + missing, 2},
        {"stats", 2},
        {"check --against", 2},
    };
    for (const auto& [arguments, exitCode] : cases) {
        const ProcessResult r = runForErrors(arguments);
        EXPECT_EQ(r.exitCode, exitCode) << arguments;
        if (exitCode == 1) {
            EXPECT_EQ(r.out.rfind("korvel-cli: ", 0), 0u) << r.out;
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
        }
    }
}

// "ś" (UTF-8 C5 9B) in its doubled form, which Windows-1252 cannot hold.
TEST(PackCommands, SyncNeverWritesAPackWhoseCharactersWereReplaced)
{
    TempDir dir;
    const std::string de = shellQuote(dir.write("de.xml", packXml("de", reference)));
    const std::string pl = dir.write(
        "pl.xml", "<languagepack><content><key "
                  "id=\"gruss\"><value>Cze\xC3\x85\xE2\x80\xBA</value></key></content></languagepack>");
    const std::string before = TempDir::read(pl);
    const ProcessResult r = runForErrors("sync " + de + " " + shellQuote(pl));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "korvel-cli: Datei \"" + pl +
                  "\": Beim Lesen wurden Zeichen ersetzt, die es in Windows-1252 "
                  "nicht gibt: gruss. Der Languagepack wird nicht geschrieben, sonst gingen sie verloren.\n");
    EXPECT_EQ(TempDir::read(pl), before);
    EXPECT_EQ(runForErrors("diff " + de + " " + shellQuote(pl)).out,
              "korvel-cli: Warnung: Datei \"" + pl +
                  "\": Beim Lesen wurden Zeichen ersetzt, die es in "
                  "Windows-1252 nicht gibt: gruss.\n");
}

} // namespace
